// What page controls, text boxes and visual objects need from the frame set
// that shows them. TZEBCustomFrameSet implements it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;
class QObject;
class TZEBset;
class TZEBoggetto;
class TZEBbox;
class TZEBpage;
struct TFormHost;

class IFrameSetHost {
public:
  virtual ~IFrameSetHost() = default;
  virtual TZEBset* LinkedZEBset() const = 0;
  virtual bool ReadOnly() const = 0;
  virtual bool Animated() const = 0;
  virtual bool ActivePreview() const = 0;
  virtual bool ShowBoundaries() const = 0;
  // Bit 0 whole words, bit 1 case-sensitive.
  virtual uint8_t SearchOptions() const = 0;
  // Hands a clicked link (a page, link or other object) to the frame set; it is
  // handled on a later turn of the event loop, never inside the caller.
  virtual void RaiseLink(TZEBoggetto* obj, QObject* source) = 0;
  virtual void SetActiveControl(QWidget* control) = 0;
  virtual QWidget* ActiveControl() const = 0;
  virtual void SetFocusedBox(TZEBbox* box) = 0;
  // A box's selection may have changed (the main window enables Copy).
  virtual void SelectionChanged(QWidget* source) = 0;
  // A click that did not hit a link (frames-only view selects the frame).
  virtual void ClickedAt(QWidget* source) = 0;
  // Page controls register while they show a page; the index is kept.
  virtual int RegisterPage(TZEBpage* page) = 0;
  virtual void UnregisterPage(TZEBpage* page) = 0;
  // Ebook files dropped on a box.
  virtual void DropFiles(const std::vector<std::string>& files, QObject* source) = 0;
  // The hint text for an object (link hints), after OnGetHint had its say.
  virtual std::string HintFor(TZEBoggetto* obj) = 0;
  // Whether the program is closing: handlers then do nothing.
  virtual bool Closing() const = 0;
  // Typed form values and the ways forms leave; null where forms cannot act.
  virtual TFormHost* FormHost() { return nullptr; }
};
