// ArtPalette: the colours of the drawn images, shared by the slider art and the application
// icon so that both read as one family.
#pragma once

#include <QColor>

namespace zel::art {

inline const QColor GrooveFill(60, 70, 82);
inline const QColor GrooveEdge(38, 48, 58);
inline const QColor GrooveShine(138, 150, 163);
inline const QColor TickColour(107, 130, 153);
inline const QColor TickStrong(44, 52, 64);
inline const QColor CapFill(243, 246, 249);
inline const QColor CapEdge(86, 98, 110);
inline const QColor CapLine(38, 48, 58);
inline const QColor ActiveFill(47, 123, 214);
inline const QColor ActiveEdge(27, 79, 143);
inline const QColor ActiveLine(255, 255, 255);
inline const QColor MasterLit(53, 180, 92);
inline const QColor MasterLitShine(127, 216, 154);
inline const QColor VolumeLit(240, 160, 48);
inline const QColor VolumeLitShine(250, 206, 140);

} // namespace zel::art
