// Marker panels: small glyphs standing in the text for objects without a
// look of their own (comments, anchors, auto-start links, hidden fields,
// form starts). On read-only pages most shrink to a sliver.
#pragma once

#include <QImage>

#include "pageobjects/visual.h"

class TZEBpage;

class TMyyBelPanel : public TMyyVisual {
  Q_OBJECT
public:
  explicit TMyyBelPanel(TZEBpage* page);
  ~TMyyBelPanel() override;

  void LoadFromObject() override;
  void RefreshLook() override;
  void SetReadOnly(bool on) override;
  bool IsHidden(uint8_t mask) const override;
  bool IsOpaque() const override { return false; }
  TZEBoggetto* LinkedObject() const override;
  // Only an anchor does something when clicked: it raises itself.
  void ActivateInReader() override;

  QSize BaseSize() const { return base_; }
  const QImage& Glyph() const { return glyph_; }
  std::string GlyphName() const { return glyphName_; }
  bool IsAnchor() const;
  bool IsAutoStart() const;
  QString Hint() const { return hint_; }
  // Whether the panel draws itself in the current state.
  bool Paints() const;

protected:
  void paintEvent(QPaintEvent* e) override;
  bool event(QEvent* e) override;

private:
  int Subkind() const;
  bool AnchorPreview() const;
  void ApplySize();

  TZEBpage* page_;
  QSize base_{18, 18};
  QImage glyph_;
  std::string glyphName_;
  QString hint_;
};

// The marker of a form's start.
class TMyyInizioForm : public TMyyBelPanel {
  Q_OBJECT
public:
  using TMyyBelPanel::TMyyBelPanel;
};
