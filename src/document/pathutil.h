// Paths as ebooks write them ("C:\dir\file.ext") turned into paths of this system.
#pragma once

#include <string>
#include <string_view>

// "\" becomes "/", a leading drive ("C:") is dropped.
std::string NativePath(std::string_view p);
// True when the path names a drive or starts at the root.
bool HasRoot(std::string_view p);
// Folder part (without the trailing separator); empty when there is none.
std::string FolderOf(std::string_view p);
// File-name part after the last "/" or "\".
std::string FileNamePart(std::string_view p);
// Extension including the dot, or empty.
std::string ExtensionOf(std::string_view p);
