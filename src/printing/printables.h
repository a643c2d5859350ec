// Printable rectangles: the base of everything a page prints, the page
// objects that print themselves (pictures, form field values) and the canvas
// the printed text is drawn on.
#pragma once

#include <QImage>
#include <memory>
#include <string>

#include "platform/qtcanvas.h"

class QPainter;
class TZEBoggetto;
class TZEBpageP;

// A window of a printed text, in the coordinates of the text being printed:
// what lies in [from, to) goes on the current sheet.
struct TPrintWindow {
  int from = 0, to = 0;
  TPrintWindow Shifted(int dy) const { return {from - dy, to - dy}; }
  bool Intersects(int top, int bottom) const { return top < to && bottom > from; }
};

// A printable rectangle, placed relative to its parent printable.
class TPrintual {
public:
  explicit TPrintual(TZEBpageP* job) : job_(job) {}
  virtual ~TPrintual() = default;
  TPrintual(const TPrintual&) = delete;
  TPrintual& operator=(const TPrintual&) = delete;

  // Whether what lies behind may show through.
  virtual bool Transparent() const { return true; }
  virtual void SetBounds(int left, int top, int width, int height);
  // Prints what lies in the window; the painter's origin is this printable's parent.
  virtual void Print(QPainter& painter, const TPrintWindow& window) { (void)painter, (void)window; }

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  TPrintual* Parent() const { return parent_; }
  void SetParent(TPrintual* p) { parent_ = p; }
  TZEBpageP* Job() const { return job_; }

protected:
  TZEBpageP* job_;
  TPrintual* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 110, height_ = 110;
};

// A page object that prints itself: borrows its stored object.
class TMyyPrintual : public TPrintual {
public:
  TMyyPrintual(TZEBpageP* job, TZEBoggetto* obj);
  TZEBoggetto* Object() const { return obj_; }
  // Lets the object size itself for a line of that width.
  virtual void Prepare(int lineWidth) { (void)lineWidth; }
  // Height above the baseline when it sits in a line.
  virtual int Ascent() const { return height_; }

protected:
  TZEBoggetto* obj_;
};

// A picture scaled to paper by the picture scale, shrunk to the printable width.
class TMyyImageP : public TMyyPrintual {
public:
  TMyyImageP(TZEBpageP* job, TZEBoggetto* obj);
  bool Transparent() const override;
  void Prepare(int lineWidth) override;
  int Ascent() const override;
  void Print(QPainter& painter, const TPrintWindow& window) override;
  // The picture as printed: transparent parts on white.
  const QImage& Image() const { return image_; }
  // Placed at page coordinates: printed over the text, not in its line.
  bool Front() const { return front_; }
  void SetFront(bool on) { front_ = on; }

private:
  void LoadPicture();
  QImage image_;
  int naturalW_ = 0, naturalH_ = 0;  // the graphic's own size
  int displayW_ = 0, displayH_ = 0;  // its size on the screen page
  bool transparent_ = false;
  bool front_ = false;
};

// A static text field: prints the value the reader typed.
class TMyyRectangleP : public TMyyPrintual {
public:
  TMyyRectangleP(TZEBpageP* job, TZEBoggetto* obj);
  void Print(QPainter& painter, const TPrintWindow& window) override;
  const std::string& Value() const { return value_; }

private:
  std::string value_;
  bool prints_ = false;
};

// Makes the printable of a page object; null for kinds that have none.
std::unique_ptr<TMyyPrintual> CreatePrintable(TZEBpageP* job, TZEBoggetto* obj);

// The canvas printed text is drawn on: measures and draws through a Qt
// canvas on the printer, with every colour black when asked, and moves the
// bullet's fixed screen offset to its physical size.
class TPrintCanvas : public TCanvas {
public:
  TPrintCanvas(std::shared_ptr<TQtFontCache> cache, bool black) : qt_(nullptr, std::move(cache)), black_(black) {}
  void SetPainter(QPainter* p) { qt_.SetPainter(p); }
  // The next bullet drawn moves by dx (the offset converted minus the screen offset).
  void ShiftNextBullet(int dx) { bulletShift_ = dx; }

  void SetFont(const TCanvasFont& f) override;
  const TCanvasFont& Font() const override { return font_; }
  TTextMetrics Metrics() override { return qt_.Metrics(); }
  int CharHeight() override { return qt_.CharHeight(); }
  int TextWidth(std::string_view bytes) override { return qt_.TextWidth(bytes); }
  int PairWidth(int prev, uint8_t c) override { return qt_.PairWidth(prev, c); }
  void TextOut(int x, int y, std::string_view bytes, const int* advances = nullptr) override;
  void SetTextBackground(bool solid, int32_t colour) override { qt_.SetTextBackground(solid, colour); }
  void FillRect(int x, int y, int w, int h, int32_t colour) override { qt_.FillRect(x, y, w, h, colour); }

private:
  TQtCanvas qt_;
  TCanvasFont font_;
  bool black_;
  int bulletShift_ = 0;
};
