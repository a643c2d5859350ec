// The page control: a scroll area that shows one page of the ebook in a
// rich text box, with the page's visual objects.
#pragma once

#include <QScrollArea>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TZEBset;
class TZEBoggetto;
class TZEBtesto;
class TZEBbox;
class TZEBFrame;
class TZEBsfondo;
class IFrameSetHost;

// The page background shown while the text is not yet laid out.
class TZEBsfondo : public QWidget {
  Q_OBJECT
public:
  explicit TZEBsfondo(QWidget* parent = nullptr);
  int32_t colour = 0xF0F0F0;           // 0x00BBGGRR
  TZEBoggetto* picture = nullptr;      // an immagine object, or none

protected:
  void paintEvent(QPaintEvent* e) override;
};

class TZEBpage : public QScrollArea {
  Q_OBJECT
public:
  TZEBpage(IFrameSetHost* frameSet, QWidget* parent = nullptr);
  ~TZEBpage() override;

  // First pass: the page's background colour and picture, painted at once.
  void ShowBackground(TZEBtesto* page);
  // Second pass: builds the display copy and the text box. A null page makes
  // a temporary empty page of the page control's own.
  void LoadPage(TZEBtesto* page);
  void WriteBack();
  void Detach();
  void Release();
  bool GoToAnchor(int n);

  TZEBbox* Box() const;
  TZEBtesto* StoredPage() const;
  TZEBtesto* DisplayText() const;
  int PageIndex() const;          // -1 for a temporary page
  bool IsTemporary() const;
  IFrameSetHost* FrameSet() const;
  TZEBFrame* Frame() const;       // the frame holding this page control, if any
  TZEBset* Document() const;

  void SetReadOnly(bool on);
  void SetAnimated(bool on);
  void SetShowFramesOnly(bool on);
  void SetScrollMode(uint8_t mode);  // 0/1 hide both bars when read-only, 2/3 show both
  uint8_t ScrollMode() const;

  // Vertical and horizontal scroll positions of the page (pixels).
  int ScrollY() const;
  void SetScrollY(int y);
  int ScrollX() const;
  void SetScrollX(int x);

  // The page's object index: every visual object registers and keeps its number.
  int RegisterObject(QWidget* control, TZEBoggetto* obj);
  void UnregisterObject(QWidget* control);
  TZEBoggetto* IndexedObject(int number) const;
  QWidget* IndexedControl(int number) const;
  QWidget* ControlOf(TZEBoggetto* obj) const;
  int NumberOfObject(TZEBoggetto* obj) const;  // -1 when absent
  TZEBoggetto* ObjectOfControl(const QWidget* control) const;
  // Where the numbers of a text's objects start in the index: the header's
  // (origin 1) and footer's (2) objects follow those of the main text (0).
  int ObjectBase(int origin) const;

  // Objects placed at page coordinates, read from the start of the page text,
  // and the header's and footer's pictures placed the same way.
  const std::vector<TZEBoggetto*>& PageObjects() const;
  const std::vector<TZEBoggetto*>& FloatingImages() const;
  void MoveObjects(int dx, int dy);

  // Anchor panels, panels that raise their link when the page is shown, and
  // frame sets living inside floating objects of this page.
  void AddAnchor(QWidget* panel);
  void RemoveAnchor(QWidget* panel);
  void AddAutoStart(QWidget* panel);
  void RemoveAutoStart(QWidget* panel);
  void AddFrameSet(QObject* frameSet);
  void RemoveFrameSet(QObject* frameSet);
  std::vector<QObject*> EmbeddedFrameSets() const;

  // The background box of the first pass (null once the page is loaded).
  TZEBsfondo* Background() const;
  // Sizes the text box to the viewport; the vertical position keeps its
  // distance from the end of the text when the text height changes.
  void FitBox();

  void CollectObjects(int kind, std::vector<std::pair<std::string, TZEBoggetto*>>& out);
  // In-page search over paragraphs and table cells.
  void StartFind();
  // Continues the next search one character after (para, charIndex) of box
  // (the page's box or a table cell inside it).
  void PositionAtSelection(TZEBbox* box, int para, int charIndex);
  // From the start, or from one character after the box's selection start.
  bool FindText(const std::string& pattern, bool continueFromSelection);

protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

private:
  void MakeDisplay(TZEBtesto* page);
  void CreateObjects();

  struct Impl;
  std::unique_ptr<Impl> d;
};
