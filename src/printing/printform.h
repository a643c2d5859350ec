// The print dialog "Stampa": the list of pages to print, a preview of the
// page on screen and on paper, the print options, the progress of the job.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "printing/zebpagep.h"

class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class ISettingsStore;
class TInsiemeCornici;
class TPageSetupDialog;
class TSettings;
class TZEBset;

// The page of the preview as it will come out of the printer: one picture
// per sheet at the paper's proportions, the printable area outlined.
class TSheetPreview : public QWidget {
  Q_OBJECT
public:
  explicit TSheetPreview(QWidget* parent = nullptr);
  void ShowPage(TZEBset* doc, int page, const TPageSetupDialog& setup, const TPrintOptions& options);
  int SheetCount() const { return sheets_; }
  // Text y of the page at the top of each sheet: where it is cut.
  const std::vector<int>& CutPoints() const { return cuts_; }

private:
  QScrollArea* scroll_;
  QWidget* column_;
  QVBoxLayout* layout_;
  int sheets_ = 0;
  std::vector<int> cuts_;
};

class TFprint : public QDialog {
  Q_OBJECT
public:
  enum TMode { mPrint = 0, mOptions = 2 };
  TFprint(TZEBset* doc, TPageSetupDialog* setup, ISettingsStore* store, int currentPage, TMode mode,
          QWidget* parent = nullptr);
  ~TFprint() override;

  QTabWidget* PageControl = nullptr;
  TInsiemeCornici* Preview = nullptr;
  TInsiemeCornici* PreviewOrd = nullptr;
  TSheetPreview* PaperPreview = nullptr;
  QTreeWidget* PagScelte = nullptr;
  QPushButton *Btutte = nullptr, *BCorrente = nullptr, *BAggiungiPagina = nullptr, *Bup = nullptr, *Bdown = nullptr,
              *Bdelpage = nullptr, *BIndietro = nullptr, *BCover = nullptr, *BSummary = nullptr, *BCurPag = nullptr,
              *BOk = nullptr, *BAnnulla = nullptr;
  QCheckBox *CBsegna = nullptr, *CBprev = nullptr, *CBprevOrd = nullptr, *CBsfondo = nullptr, *CBsfondoTab = nullptr,
            *CBprintcolorasblack = nullptr, *CBallinone = nullptr;
  QSpinBox* Escale = nullptr;
  QProgressBar* ProgressBar = nullptr;
  // The preview's shortcut menu: "Prossima slide...".
  QMenu* PreviewMenu = nullptr;
  QAction* NextSlideItem = nullptr;

  // The list: page indices in print order. Adding keeps one entry per page.
  bool AddPage(int index);
  std::vector<int> ListedPages() const;
  int PreviewPage() const;
  TPrintOptions Options() const;
  // The message of the last failed print, empty after a good one.
  const std::string& LastError() const { return lastError_; }

  void BtutteClick();
  void BCorrenteClick();
  void BAggiungiPaginaClick();
  void BupClick();
  void BdownClick();
  void BdelpageClick();
  void BOkClick();
  // Shows the next page of the previewed page's sequence, when it has one.
  void NextSlideClick();
  // Saves the options the dialog keeps.
  void SaveSettings();

protected:
  void done(int r) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  QWidget* BuildPagesTab();
  QWidget* BuildOptionsTab();
  QWidget* BuildOrderTab();
  void RestorePosition(QWidget* parent);
  void AttachPreviewMenu();
  void ReadSettings();
  void MoveSelected(int step);
  void ShowInPreview(QTreeWidgetItem* item);
  void PreviewChanged();

  TZEBset* doc_;
  TPageSetupDialog* setup_;
  std::unique_ptr<TSettings> settings_;
  int currentPage_;
  TMode mode_;
  std::string lastError_;
};
