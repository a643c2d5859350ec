#include "document/zebpicture.h"

#include <fstream>
#include <iterator>
#include <vector>

void TZEBpicture::SetImageNameL(const std::string& path) {
  if (path.empty()) {
    name_.clear();
    pic_ = {};
    return;
  }
  if (path == name_) return;
  pic_ = {};
  name_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (LoadFromBytes(bytes.data(), bytes.size())) name_ = path;
}

bool TZEBpicture::LoadFromBytes(const uint8_t* data, size_t size) {
  pic_ = {};
  if (!DecodePicture(data, size, pic_)) {
    pic_ = {};
    return false;
  }
  return true;
}
