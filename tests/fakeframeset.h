// A frame set that records what page objects ask of it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/visual.h"

struct FakeFrameSet : IFrameSetHost {
  TZEBset* doc = nullptr;
  uint8_t options = 0;
  std::vector<std::pair<TZEBoggetto*, QObject*>> raised;
  int selectionChanges = 0;
  std::vector<TZEBpage*> pages;
  TZEBset* LinkedZEBset() const override { return doc; }
  bool ReadOnly() const override { return true; }
  bool Animated() const override { return false; }
  bool ActivePreview() const override { return true; }
  bool ShowBoundaries() const override { return true; }
  uint8_t SearchOptions() const override { return options; }
  void RaiseLink(TZEBoggetto* obj, QObject* source) override { raised.emplace_back(obj, source); }
  void SetActiveControl(QWidget*) override {}
  QWidget* ActiveControl() const override { return nullptr; }
  void SetFocusedBox(TZEBbox*) override {}
  void SelectionChanged(QWidget*) override { ++selectionChanges; }
  void ClickedAt(QWidget*) override {}
  int RegisterPage(TZEBpage* p) override {
    pages.push_back(p);
    return static_cast<int>(pages.size()) - 1;
  }
  void UnregisterPage(TZEBpage* p) override { std::erase(pages, p); }
  void DropFiles(const std::vector<std::string>& files, QObject*) override { dropped = files; }
  std::vector<std::string> dropped;
  std::string HintFor(TZEBoggetto* obj) override { return DescriptionHint(obj->Description()); }
  bool Closing() const override { return false; }
  int zoom = 10;
  bool anchorPreview = false;
  int TextZoom() const override { return zoom; }
  bool AnchorPreview() const override { return anchorPreview; }
  QMenu* PopupFor(TPopupRole) const override { return nullptr; }
};
