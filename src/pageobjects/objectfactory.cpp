// One maker per object kind for the controls a page shows.
#include <array>
#include <utility>

#include "document/records.h"
#include "document/zebset.h"
#include "pageobjects/floating.h"
#include "pageobjects/formcontrols.h"
#include "pageobjects/multimedia.h"
#include "pageobjects/image.h"
#include "pageobjects/panel.h"
#include "pageobjects/table.h"
#include "pageobjects/visual.h"
#include "pageobjects/zebpage.h"

namespace {

using TVisualMaker = QWidget* (*)(TZEBoggetto* obj, TZEBpage* page);

QWidget* MakeTable(TZEBoggetto* obj, TZEBpage* page) { return new TMyyTable(obj, page); }
QWidget* MakePicture(TZEBoggetto*, TZEBpage* page) { return new TMyyImage(page); }
QWidget* MakeFormStart(TZEBoggetto*, TZEBpage* page) { return new TMyyInizioForm(page); }

QWidget* MakeShortObject(TZEBoggetto* obj, TZEBpage* page) {
  const int s = obj->State();
  const bool panel = s == 5 || (s >= 10 && s <= 15) || (s >= 21 && s <= 28);
  return panel ? new TMyyBelPanel(page) : nullptr;
}

// Form fields and buttons have controls of their own; hidden fields show a
// marker and subkind 18 is a floating frame.
QWidget* MakeStaticInput(TZEBoggetto* obj, TZEBpage* page) {
  if (obj->State() == 5) return new TMyyBelPanel(page);
  if (obj->State() == floatrec::Subkind) return new TMyyFloating(page);
  return CreateFormControl(obj);
}

QWidget* MakeDynamicInput(TZEBoggetto* obj, TZEBpage* page) {
  if (obj->State() == 11 || obj->State() == 12) return new TMyyBelPanel(page);
  return CreateFormControl(obj);
}

QWidget* MakeButton(TZEBoggetto* obj, TZEBpage*) { return CreateFormControl(obj); }
QWidget* MakePlayer(TZEBoggetto*, TZEBpage*) { return new TMyyMultimedia; }

constexpr std::array<std::pair<int, TVisualMaker>, 10> kMakers{{
    {bottoneCGI, MakeButton},
    {multiMedia, MakePlayer},
    {dbloc, MakePlayer},
    {tabellaHtml, MakeTable},
    {immagineNew, MakePicture},
    {shortObj, MakeShortObject},
    {inputStat, MakeStaticInput},
    {inputDin, MakeDynamicInput},
    {inizioForm, MakeFormStart},
}};

}  // namespace

QWidget* ViewOf(TZEBpage* page) { return page ? page->viewport() : nullptr; }

QWidget* CreateVisualObject(TZEBoggetto* obj, TZEBpage* page) {
  if (!obj) return nullptr;
  if (obj->Kind() == testoHtml) {
    // A text shows as the page's own box, never as an object of it.
    if (TZEBset* doc = obj->Document()) doc->Say(TMsgKind::Error, "Non si deve usare questo!");
    return nullptr;
  }
  for (const auto& [kind, make] : kMakers)
    if (kind == obj->Kind()) return make(obj, page);
  return nullptr;
}
