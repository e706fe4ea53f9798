// CLoopHost: the connection controller's host on a plain event loop.
#include "app/LoopHost.h"

#include <cstdio>

namespace zel {

void CLoopHost::setTitle(const std::string& title) {
    if (title != m_title || m_titles.empty())
        m_titles.push_back(title);
    m_title = title;
    if (onTitle)
        onTitle(title);
}

void CLoopHost::showCommError(const std::string& text) {
    if (onCommError)
        onCommError(text);
    else
        std::fprintf(stderr, "Application Error: %s\n", text.c_str());
}

} // namespace zel
