// Writing a picture as a PNG file, tuned for pictures of pages: one cheap row
// filter and the fastest zlib level. Qt's writer lets libpng try every filter
// on every row, which took longer than laying out and drawing the page.
#pragma once

#include <string>

class QImage;

// Writes the picture's colours (its alpha only when it has one); false when
// the file cannot be written.
bool WritePagePng(const QImage& picture, const std::string& path);
