// Record fields of multimedia objects (multiMedia, 46-byte records). The state
// byte is the subkind: 1, 2 sound; 3, 4 video; 5 Flash; 6 custom object; 7 icon.
#pragma once

#include <cstdint>

#include "document/zebobject.h"

namespace mediarec {

constexpr int MediaFile = 17;    // int32 object id of the embedded file (genLink), -1 none
constexpr int AutoPlay = 21;     // byte, 1 = plays by itself, player bar hidden
constexpr int Repeat = 22;       // int16 repeat count, -1 endless
constexpr int Remaining = 24;    // int16 remaining repeats
constexpr int Width = 26;        // int16
constexpr int Height = 28;       // int16
constexpr int Percent = 30;      // byte, non-zero: sizes in percent of the text width / page height
constexpr int IconType = 31;     // byte (subkind 7)
constexpr int IconPicture = 32;  // int32 object id of the icon's picture (icon type 18)

enum TMediaKind : uint8_t { mkSound1 = 1, mkSound2, mkVideo1, mkVideo2, mkFlash, mkCustom, mkIcon };

inline bool IsSound(int subkind) { return subkind == mkSound1 || subkind == mkSound2; }
inline bool IsVideo(int subkind) { return subkind == mkVideo1 || subkind == mkVideo2; }

inline TObjId FileId(const TZEBoggetto& o) { return o.Rec().I32(MediaFile); }
inline bool AutoPlays(const TZEBoggetto& o) { return o.Rec().Byte(AutoPlay) == 1; }
inline int RepeatCount(const TZEBoggetto& o) { return o.Rec().I16(Repeat); }
inline int StoredWidth(const TZEBoggetto& o) { return o.Rec().I16(Width); }
inline int StoredHeight(const TZEBoggetto& o) { return o.Rec().I16(Height); }
inline bool InPercent(const TZEBoggetto& o) { return o.Rec().Byte(Percent) != 0; }
inline int IconTypeOf(const TZEBoggetto& o) { return o.Rec().Byte(IconType); }
inline TObjId IconPictureId(const TZEBoggetto& o) { return o.Rec().I32(IconPicture); }

}  // namespace mediarec
