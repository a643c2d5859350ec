// The search dialog "Cerca:": pages by keyword, a word in the page shown, and
// a word query across the ebook with the list of every matching page.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "search/core/ebooksearch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TSettings;
class TZEBCustomFrameSet;
class TZEBListView;
class TZEBset;

// What the dialog uses of the main window.
struct TFcercaHost {
  TZEBset* document = nullptr;
  TZEBCustomFrameSet* frameSet = nullptr;
  TSettings* settings = nullptr;
  std::function<void(const QString&)> status;  // the status bar's message
  std::function<void()> showNested;            // as the "Mostra cornici" command
};

class TFcerca : public QWidget {
  Q_OBJECT
public:
  static constexpr const char* FindsKey = "finds";
  static constexpr int HistoryDepth = 10;
  static constexpr int SliceMs = 15;  // longest stretch of scanning between two turns of the event loop

  TFcerca(TFcercaHost host, QWidget* parent = nullptr);
  ~TFcerca() override;

  // ---- Components, named as the form names them.
  QTabWidget* PageControl1 = nullptr;
  QWidget *TSkey = nullptr, *TSparola = nullptr;
  QLineEdit* Edit1 = nullptr;
  TZEBListView *ZEBListViewKW = nullptr, *ZEBListViewPag = nullptr, *ZEBListViewPagPar = nullptr;
  QLabel* Label3 = nullptr;
  QComboBox *Edit2 = nullptr, *Edit3 = nullptr, *Edit5 = nullptr, *Edit6 = nullptr;
  QCheckBox *CBcaps1 = nullptr, *CBcomp1 = nullptr;
  QWidget* PanelOp = nullptr;
  QPushButton *BCNellaPagina = nullptr, *BContinuaNellIpertesto = nullptr, *Bcancel = nullptr,
              *SpeedButton1 = nullptr, *BInterrompi = nullptr;
  QWidget* PanelTit = nullptr;
  QLabel *LabelTit = nullptr, *LabelScan = nullptr;

  // ---- Entry points of the main window.
  void ShowOnKeywords();
  void ShowOnWords();
  void BCNellaPaginaClick();   // in-page search (F3)
  void BContinuaClick();       // ebook search (F4)
  void SpeedButton1Click();    // every matching page
  void CancelScan();
  void KeywordLookup();        // Enter in Edit1
  void BcancelClick();
  // The main window opened another ebook.
  void EbookChanged();
  // The main frame set shows another page.
  void PageChanged();

  uint8_t SearchOptions() const;
  int SelectedKeyword() const { return selectedKeyword_; }
  bool Scanning() const { return scanTimer_.isActive(); }
  TPlainTextCache& Cache() { return cache_; }

protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void WriteChecks();
  void changeEvent(QEvent* e) override;

private:
  // fcerca.cpp: building, options, histories.
  QWidget* BuildKeywordTab();
  QWidget* BuildWordTab();
  QWidget* BuildOperatorPanel();
  QComboBox* NewHistoryCombo(const char* name);
  void ReadOptions();
  void WriteOptions();
  void ReadHistory(QComboBox* box);
  void AddToHistory(QComboBox* box);
  void WriteHistory(QComboBox* box);
  void ResetPageButton();
  void EchoTitle(const QString& text);
  void OperatorTyped(QComboBox* field, const QString& text);
  void ReloadKeywords();

  // fcerca_find.cpp: the searches.
  TWordQuery Query() const;
  std::string Bytes(const QString& s) const;
  QString Text(std::string_view bytes) const;
  void KeywordChosen();
  void PageChosen(TZEBListView* list);
  void ResultChosen();
  void StartScan(int firstPage, bool allPages);
  void ScanSlice();
  void ScanEnded();
  void ShowHit(const TSearchHit& hit);
  void AddResult(const TSearchHit& hit);

  TFcercaHost host_;
  TPlainTextCache cache_;
  int selectedKeyword_ = -2;
  QTimer scanTimer_;
  std::unique_ptr<TEbookScan> scan_;
  bool scanAll_ = false;  // filling the result list, not looking for the next page
  std::optional<TSearchHit> found_;
};
