// One print job for one page: the sheet geometry from the page setup, the
// printable text of the page and its cutting into sheets.
#pragma once

#include <map>

#include "document/formsubmit.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "printing/printables.h"

class IObjectIndex;
class QPrinter;
class TPageSetupDialog;
class TZEBboxP;
class TZEBset;
class TZEBtesto;

// A printer that cannot be reached, a job that cannot go on.
struct TPrintError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct TPrinterUnreachable : TPrintError {
  using TPrintError::TPrintError;
};

// The print options of the settings store.
struct TPrintOptions {
  bool black = false;             // "printasblack"
  bool backgrounds = false;       // "printsf"
  bool tableBackgrounds = true;   // "printsft"
  int scale = 2500;               // "printscale": 0.01 mm per 100 screen pixels
  // What the reader typed into the form fields of the page on screen, by
  // field id; printed in place of the stored values. Null: none.
  const std::map<TObjId, TFieldState>* typedValues = nullptr;
};

// One printer document: its painter, its sheets.
class TPrintDocument {
public:
  // No page is longer than this many sheets: a runaway page stops the job.
  static constexpr int kMaxSheets = 10000;

  explicit TPrintDocument(QPrinter* printer) : printer_(printer) {}
  virtual ~TPrintDocument();
  // Starts the document; throws TPrintError when the printer cannot start.
  virtual void Begin(const QString& title);
  virtual void NewSheet();
  virtual void End();
  // Stops the job; what was printed is thrown away where the printer allows.
  virtual void Abort();
  bool Started() const { return started_; }
  int Sheets() const { return sheets_; }
  QPainter& Painter() { return painter_; }
  // Fonts measured for one page serve the next ones of the same ebook.
  std::shared_ptr<TQtFontCache> fontCache;

protected:
  void CheckReachable() const;
  QPrinter* printer_;
  QPainter painter_;
  int sheets_ = 0;
  bool started_ = false;
};

// Sheets drawn into pictures instead of onto a printer (the print preview).
class TSheetImages : public TPrintDocument {
public:
  // Sheets of the page size in printer pixels, drawn at `scale` of that.
  TSheetImages(QSize pagePx, double scale) : TPrintDocument(nullptr), pagePx_(pagePx), scale_(scale) {}
  void Begin(const QString& title) override;
  void NewSheet() override;
  void End() override;
  void Abort() override { End(); }
  const std::vector<QImage>& Images() const { return images_; }

private:
  void StartImage();
  QSize pagePx_;
  double scale_;
  std::vector<QImage> images_;
};

class TZEBpageP {
public:
  TZEBpageP(const TPageSetupDialog& setup, const TPrintOptions& options);
  ~TZEBpageP();

  // Prints the page on new sheets of the document (starting it when it has
  // not started). Throws TPrintError.
  void PrintPage(TZEBtesto* page, TPrintDocument& doc);
  // Builds the printables of a page without printing (sizes and layout only).
  void Prepare(TZEBtesto* page);

  // Geometry, in printer pixels.
  int W() const { return W_; }
  int H() const { return H_; }
  int PA() const { return PA_; }
  int PB() const { return PB_; }
  int PageWidthPx() const { return pageWidthPx_; }
  int PageHeightPx() const { return pageHeightPx_; }
  int MarginLeftPx() const;
  // Where text y 0 falls on the current sheet.
  int MarginTopPx() const;
  // Screen distances at physical size.
  int ConvH(int d) const;
  int ConvV(int d) const;
  // Text zoom that gives true point sizes at the printer's resolution.
  int Zoom() const { return zoom_; }

  const TPrintOptions& Options() const { return options_; }
  bool TableBackgrounds() const { return options_.tableBackgrounds; }
  TZEBset* Document() const { return doc_; }
  TPrintCanvas& Canvas() { return *canvas_; }
  TZEBboxP* Box() const { return box_.get(); }
  const std::vector<TMyyImageP*>& FrontObjects() const { return front_; }
  // Text y at the top of each sheet printed for the page.
  const std::vector<int>& SheetTops() const { return sheetTops_; }

  // While reading a text: its object index.
  IObjectIndex* ReadingIndex() const { return readingIndex_; }
  void SetReadingIndex(IObjectIndex* i) { readingIndex_ = i; }

  // The walk that finds where a table is cut prints nothing.
  bool Probing() const { return probing_; }
  // A printed thing from top to bottom (current coordinates) may lower the cut.
  void OfferCut(int top, int bottom, bool picture);
  // Moves the origin of what is printed, on the painter when it paints.
  void Translate(QPainter& painter, int dx, int dy);

private:
  void Geometry();
  void BuildPrintables(TZEBtesto* text);
  void CutIntoSheets(TPrintDocument& doc);
  void PrintInWindow(QPainter& painter, int i, int r, int height);
  int TableBreak(QPainter& painter, int i, int r);
  void StartSheet(TPrintDocument& doc, bool first);
  void PlaceFrontObjects(TZEBtesto* text, const std::vector<int>& numbers);
  // Prints the part of the front objects that lies in [from, to) of the text.
  void PrintFront(QPainter& painter, int from, int to);
  void EndSheet(QPainter& painter, int nextTop);

  const TPageSetupDialog& setup_;
  TPrintOptions options_;
  TZEBset* doc_ = nullptr;
  std::unique_ptr<TZEBtesto> copy_;
  std::unique_ptr<TZEBboxP> box_;
  std::unique_ptr<TPrintCanvas> canvas_;
  IObjectIndex* readingIndex_ = nullptr;
  int W_ = 0, H_ = 0, PA_ = 0, PB_ = 0, zoom_ = 60;
  int pageWidthPx_ = 0, pageHeightPx_ = 0;
  int windowTop_ = 0;
  std::vector<int> sheetTops_;
  // Pictures placed at page coordinates, over the text of the sheets they reach.
  std::vector<TMyyImageP*> front_;
  bool probing_ = false;
  int originY_ = 0;      // of the current coordinates, in text y
  int breakLimit_ = 0;   // below the window top
};
