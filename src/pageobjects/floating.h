// A floating frame: a rectangle of the page that shows another page, with
// its own frame map, through a frame set of its own.
#pragma once

#include "pageobjects/visual.h"

class TZEBpage;
class TInsiemeCornici;

class TMyyFloating : public TMyyVisual {
  Q_OBJECT
public:
  explicit TMyyFloating(TZEBpage* page);
  ~TMyyFloating() override;

  TInsiemeCornici* Inner() const { return inner_; }
  void LoadFromObject() override;
  void RefreshLook() override;
  void SetParentWidth(int width) override;
  // The stored page it shows; -1 while it shows none.
  int ShownPage() const { return shown_; }
  // How many floating frames hold this one, and whether an enclosing page
  // already shows `page` (a floating frame never shows a page it sits in).
  int Depth() const;
  bool PageEncloses(int page) const;
  static constexpr int kMaxDepth = 3;

protected:
  void resizeEvent(QResizeEvent* e) override;

private:
  bool InPercent() const;
  bool InCell() const;
  void ApplyFlags();

  TZEBpage* page_;
  TInsiemeCornici* inner_;
  int shown_ = -1;
};
