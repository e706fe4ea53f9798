// DialogUnits: conversion of dialog-template coordinates to pixels for the "Arial" 8 dialogs.
#pragma once

#include <QRect>

namespace zel {

// One dialog unit is 1.5 px across and 1.625 px down at 96 dpi (base units 6 × 13 px);
// Qt's device-pixel ratio scales the result on high-density screens.
inline constexpr int DialogBaseUnitX = 6;
inline constexpr int DialogBaseUnitY = 13;

int dluToPixelsX(int dlu);
int dluToPixelsY(int dlu);
// A template rectangle (x, y, width, height in dialog units) in pixels. Each edge is mapped
// on its own, so neighbouring controls keep sharing their edges.
QRect dialogRect(int x, int y, int width, int height);

} // namespace zel
