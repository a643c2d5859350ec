// The popup menus of the objects on pages: pictures, zones, floating frames,
// marker panels and form fields.
#include <QApplication>
#include <QCursor>
#include <QMenu>

#include "app/lib/mainform.h"
#include "document/zebset.h"
#include "pageobjects/floating.h"
#include "pageobjects/image.h"
#include "pageobjects/zebframeset.h"

namespace {

// The object of type T under the mouse, or among the parents of what is there.
template <typename T>
T* UnderCursor() {
  for (QWidget* w = QApplication::widgetAt(QCursor::pos()); w; w = w->parentWidget())
    if (auto* t = qobject_cast<T*>(w)) return t;
  return nullptr;
}

QMenu* NewMenu(QWidget* parent, const char* name) {
  auto* m = new QMenu(parent);
  m->setObjectName(name);
  return m;
}

}  // namespace

void TMainForm::BuildObjectPopups() {
  PopupImage = NewMenu(this, "PopupImage");
  Segui1 = AddItem(PopupImage, "&Segui collegamento", "Segui1");
  connect(Segui1, &QAction::triggered, this, &TMainForm::Segui1Click);
  connect(AddItem(PopupImage, "&Salva come...", "Saveas1"), &QAction::triggered, this, &TMainForm::Saveas1Click);
  connect(PopupImage, &QMenu::aboutToShow, this, &TMainForm::PopupMenuImmaginePopup);

  PopupZone = NewMenu(this, "PopupZone");
  connect(AddItem(PopupZone, "&Segui collegamento", "SeguiCollZone"), &QAction::triggered, this,
          &TMainForm::SeguiCollZoneClick);
  connect(AddItem(PopupZone, "&Salva come...", "Saveas2"), &QAction::triggered, this, &TMainForm::Saveas1Click);

  PopupFloating = NewMenu(this, "PopupFloating");
  connect(AddItem(PopupFloating, "P&recedente...", "PrecedenteFloat"), &QAction::triggered, this,
          &TMainForm::PrecedenteFloatClick);
  connect(PopupFloating, &QMenu::aboutToShow, this, [this] { popupFloating_ = UnderCursor<TMyyFloating>(); });

  Editor->SetPopup(TPopupRole::Image, PopupImage);
  Editor->SetPopup(TPopupRole::MapZone, PopupZone);
  Editor->SetPopup(TPopupRole::Floating, PopupFloating);
  // Marker panels and fields sit in a text box: they offer the box's commands.
  for (TPopupRole role : {TPopupRole::Comment, TPopupRole::Input, TPopupRole::FormStart})
    Editor->SetPopup(role, PopupMenuTesto);
}

TMyyImage* TMainForm::PopupPicture() const {
  QWidget* active = Editor->ActiveControl();
  if (auto* zone = qobject_cast<TMyyZona*>(active)) return zone->Picture();
  return qobject_cast<TMyyImage*>(active);
}

void TMainForm::PopupMenuImmaginePopup() {
  TMyyImage* picture = PopupPicture();
  Segui1->setEnabled(picture && picture->LinkedObject());
}

void TMainForm::Segui1Click() {
  if (TMyyImage* picture = PopupPicture()) picture->ActivateInReader();
}

void TMainForm::SeguiCollZoneClick() {
  if (auto* zone = qobject_cast<TMyyZona*>(Editor->ActiveControl())) zone->Raise();
}

void TMainForm::PrecedenteFloatClick() {
  TMyyFloating* floating = popupFloating_.data();
  if (!floating) floating = qobject_cast<TMyyFloating*>(Editor->ActiveControl());
  if (floating && floating->Inner()) floating->Inner()->GoBack();
}

void TMainForm::Saveas1Click() {
  TMyyImage* picture = PopupPicture();
  TZEBoggetto* source = picture ? picture->PictureSource() : nullptr;
  if (!source) return;
  TSaveFileRequest req;
  req.filter =
      "Immagini GIF|*.GIF|Immagini JPEG|*.JPG;*.JPEG|Immagini BMP|*.BMP|Immagini PCX|*.PCX|Immagini TIF|*.TIF|"
      "Immagini WMF|*.WMF|Immagini EMF|*.EMF|Tutti i files (*.*)|*.*";
  req.proposedName = source->FileName();
  const size_t dot = req.proposedName.rfind('.');
  if (dot != std::string::npos) req.defaultExt = req.proposedName.substr(dot);
  req.overwritePrompt = true;
  const auto chosen = dialogs_->AskSavePath(req);
  if (!chosen || chosen->empty()) return;
  if (!source->ExtractToFile(*chosen))
    messages_->Message(TMsgKind::Error, "Errore nella scrittura file " + *chosen);
}
