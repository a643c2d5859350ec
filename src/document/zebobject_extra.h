// What only some objects carry, allocated on first use; shared by the
// sources of TZEBoggetto.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/zebobject.h"
#include "document/zebpicture.h"

struct TZEBoggetto::Extra {
  std::string externalFile;
  std::vector<std::string> props;
  bool propsBuilt = false;
  TZEBtesto* containerText = nullptr;
  void* frameSet = nullptr;
  std::unique_ptr<TZEBpicture> ownPicture;
};
