// Test support: one QApplication for the whole program, created before the first test.
#include "GuiTestEnv.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace zel::test {

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    char m_name[10] = "gui_tests";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

std::vector<Message> Recorder::of(MessageId id) const {
    std::vector<Message> out;
    for (const Received& r : received)
        if (r.message.id == id)
            out.push_back(r.message);
    return out;
}

void Recorder::deliverPosted() {
    QCoreApplication::sendPostedEvents(this);
}

bool Recorder::event(QEvent* e) {
    m_inQueue = e->type() == MessageEvent::eventType();
    const bool handled = MessageWindow<QWidget>::event(e);
    m_inQueue = false;
    return handled;
}

LRESULT Recorder::onMessage(const Message& m) {
    received.push_back(Received{m, m_inQueue});
    return 1;
}

void showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace zel::test
