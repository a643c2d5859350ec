// How each kind's stored record is laid out: where its payload fields lie,
// and how records written by older versions are brought to today's layout.
#pragma once

#include <cstdint>

class TZEBoggetto;

// What a special link (speclink) does: its state byte.
enum class TSpecAction : uint8_t {
  GoTo = 1, CloseWindow = 2, Keywords = 3, PreviousPage = 4, NextPage = 5, AutoImport = 6, AddToCart = 7,
  PrintCurrent = 8, PrintFrame = 9, Plugin = 10,
};

// Where a special link's go-to shows its target.
enum class TSpecTarget : uint8_t {
  FrameOfPage = 0, NamedFrame = 1, NamedWindow = 2, NewWindow = 3, Popup = 4, Follow = 5, Anchor = 6,
};

// Named offsets of the record fields the store and the shell read.
namespace fld {
constexpr int State = 4;
namespace page {  // testoHtml
constexpr int Sequence = 77, SeqPosition = 79, FrameMap = 81, Format = 195, Revision = 196, Header = 231,
              Footer = 235;
constexpr uint8_t OldFormat = 1, CurrentFormat = 2;
}  // namespace page
namespace file {  // genLink, zipLink
constexpr int Name = 5, NameLen = 78, OpenMode = 84, Revision = 89;
}
namespace picture {  // immagine, mappaClic
constexpr int Revision = 77, Width = 85, Height = 87, FileName = 94, FileNameLen = 75, OldIndex = 662,
              OldFlag = 666;
}
namespace program {  // programma
constexpr int FileName = 81, FileNameLen = 75;
}
namespace pictureRef {  // immagineNew
constexpr int Picture = 0, HoverPicture = 9, Placement = 13, Extended = 556, ExtendedSize = 20;
constexpr uint8_t FirstAbsolutePlacement = 254;
}  // namespace pictureRef
namespace special {  // speclink
constexpr int Position = 9, Target = 13, Nested = 17, TargetMode = 18, WindowName = 19, WindowNameLen = 44;
}
namespace shortRef {  // shortObj
constexpr int Reference = 5, ShowText = 17;
}
namespace props {  // dbloc
constexpr int Role = 46;
constexpr uint8_t DocumentProperties = 1;
}  // namespace props
namespace table {  // tabellaHtml
constexpr int HasMain = 81;
}
}  // namespace fld

struct PayloadFields {
  int mainSizeOff = -1;  // -1: no main payload
  bool mainSize16 = false;
  int attrPosOff = -1, attrSizeOff = -1;
};

PayloadFields FieldsOf(int kind);

// Kinds whose main payload stays in the file until it is extracted.
bool FileBacked(int kind);

// Fills the fields a record of `recSize` bytes from an older file lacks;
// `rev` is the document's revision.
void UpgradeRecord(TZEBoggetto& o, int recSize, int32_t rev);
