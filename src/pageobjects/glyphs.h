// The small pictures marker panels show: drawn by the program itself, one
// 18 x 18 picture (or wider for the reference markers) per name.
#pragma once

#include <QImage>
#include <string>

// The glyph of that name; null for a name the program has no glyph for.
QImage PanelGlyph(const std::string& name);
