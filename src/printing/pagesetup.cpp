#include "printing/pagesetup.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinterInfo>
#include <QScreen>
#include <cstdlib>
#include <map>
#include <optional>

#include "document/services.h"
#include "platform/settings.h"
#include "printing/printjob.h"

namespace {
// Device-mode values with a Qt counterpart, and those only kept.
const char* const kDeviceInts[] = {"dmPaperSize", "dmPaperLength", "dmPaperWidth", "dmOrientation",
                                   "dmScale", "dmCopies", "dmDefaultSource", "dmPrintQuality",
                                   "dmColor", "dmDuplex"};
const char* const kMargins[] = {"Left", "Top", "Right", "Bottom"};

std::optional<int> ParseInt(const std::string& s) {
  if (s.empty() || s.size() > 11) return std::nullopt;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end || v < -2147483647L || v > 2147483647L) return std::nullopt;
  return static_cast<int>(v);
}

// Paper lengths of a device mode are tenths of a millimetre.
constexpr int kMaxPaperTenths = 50000;
}  // namespace

struct TPageSetupDialog::TDevice {
  std::map<std::string, int> values;
};

TPageSetupDialog::TPageSetupDialog(ISettingsStore* store)
    : store_(store), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), device_(new TDevice) {
  printer_->setResolution(kResolution);
  printer_->setFullPage(true);
  device_->values = {{"dmScale", 100}, {"dmDefaultSource", 7}, {"dmPrintQuality", -4}};
  Recompute();
}

TPageSetupDialog::~TPageSetupDialog() = default;

void TPageSetupDialog::SetMargin(int i, int v) {
  if (v < min_[i] || v < 0) return;
  margin_[i] = v;
  Recompute();
}

void TPageSetupDialog::SetMin(int i, int v) {
  if (v > margin_[i] || v < 0) return;
  min_[i] = v;
}

void TPageSetupDialog::SetPdfOutput(const std::string& path) {
  printer_->setOutputFormat(QPrinter::PdfFormat);
  printer_->setOutputFileName(QString::fromStdString(path));
  printer_->setResolution(kResolution);
  Recompute();
}

bool TPageSetupDialog::PdfOutput() const { return printer_->outputFormat() == QPrinter::PdfFormat; }

void TPageSetupDialog::Recompute() {
  const QPageLayout layout = printer_->pageLayout();
  const QRect px = layout.fullRectPixels(printer_->resolution());
  const QRectF mm = layout.fullRect(QPageLayout::Millimeter);
  pagePx_[0] = px.width();
  pagePx_[1] = px.height();
  page100_[0] = static_cast<int>(mm.width() * 100 + 0.5);
  page100_[1] = static_cast<int>(mm.height() * 100 + 0.5);
  factor_[0] = page100_[0] > 0 ? double(pagePx_[0]) / page100_[0] : 0;
  factor_[1] = page100_[1] > 0 ? double(pagePx_[1]) / page100_[1] : 0;
}

bool TPageSetupDialog::Execute(QWidget* parent) {
  if (noPrinter_) return false;
  if (!printer_->isValid()) {
    // Told once; until the program starts again there is nothing to set up.
    noPrinter_ = true;
    QMessageBox::information(parent, QString(), QString::fromStdString(NoPrinterText()));
    return false;
  }
  const QMarginsF mm(MarginLeft() / 100.0, MarginTop() / 100.0, MarginRight() / 100.0, MarginBottom() / 100.0);
  printer_->setPageMargins(mm, QPageLayout::Millimeter);
  QPageSetupDialog dialog(printer_.get(), parent);
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect area = s->availableGeometry();
    dialog.adjustSize();
    dialog.move(area.x() + (area.width() - dialog.width()) / 2, area.y() + area.height() / 3);
  }
  const bool ok = dialog.exec() == QDialog::Accepted;
  const QMarginsF back = printer_->pageLayout().margins(QPageLayout::Millimeter);
  SetMarginLeft(static_cast<int>(back.left() * 100 + 0.5));
  SetMarginTop(static_cast<int>(back.top() * 100 + 0.5));
  SetMarginRight(static_cast<int>(back.right() * 100 + 0.5));
  SetMarginBottom(static_cast<int>(back.bottom() * 100 + 0.5));
  printer_->setFullPage(true);
  printer_->setResolution(kResolution);
  Recompute();
  return ok;
}

std::string TPageSetupDialog::ProfileKey(const std::string& name) const {
  std::string base = regString_.empty() ? std::string("\\Software\\Norv\\printerProfiles") : regString_;
  if (base.back() != '\\') base += '\\';
  return base + "PrnSettings_" + name + "\\";
}

int TPageSetupDialog::DeviceValue(const std::string& name) const {
  auto it = device_->values.find(name);
  return it == device_->values.end() ? 0 : it->second;
}

bool TPageSetupDialog::LoadProfile(const std::string& name) {
  std::unique_ptr<TIniSettings> ini;
  ISettingsStore* store = store_;
  if (!iniFile_.empty()) store = (ini = std::make_unique<TIniSettings>(iniFile_)).get();
  if (!store) return false;
  const std::string key = ProfileKey(profile_);
  if (!store->KeyExists(key)) return false;
  const std::string device = store->ReadValue(key, "device");
  if (device == "notfound" || store->ReadValue(key, "PrnParsSaved") != "1") return false;
  std::map<std::string, int> v;
  for (const char* n : kDeviceInts) {
    std::optional<int> i = ParseInt(store->ReadValue(key, n));
    if (!i) return false;
    v[n] = *i;
  }
  int margins[4];
  for (int k = 0; k < 4; ++k) {
    std::optional<int> i = ParseInt(store->ReadValue(key, kMargins[k]));
    if (!i && !iniFile_.empty() && store->ReadValue(key, kMargins[k]).empty()) i = 1000;
    if (!i || *i < min_[k] || *i < 0 || *i > 10000) return false;
    margins[k] = *i;
  }
  // The printer must still be there; an empty device prints into a PDF file.
  if (!device.empty() && !QPrinterInfo::availablePrinterNames().contains(QString::fromStdString(device)))
    return false;
  QPageSize size(QPageSize::id(v["dmPaperSize"]));
  if (!size.isValid() || size.id() == QPageSize::Custom) {
    const int w = v["dmPaperWidth"], h = v["dmPaperLength"];
    if (w <= 0 || h <= 0 || w > kMaxPaperTenths || h > kMaxPaperTenths) return false;
    size = QPageSize(QSizeF(w / 10.0, h / 10.0), QPageSize::Millimeter);
  }
  if (!device.empty()) {
    printer_->setPrinterName(QString::fromStdString(device));
  } else if (store->ReadValue(key, "driver") == "pdf") {
    // Printing into a file: the same file as when the profile was saved.
    const std::string port = store->ReadValue(key, "port");
    printer_->setOutputFormat(QPrinter::PdfFormat);
    if (!port.empty() && port != "notfound") printer_->setOutputFileName(QString::fromStdString(port));
  }
  printer_->setPageSize(size);
  printer_->setPageOrientation(v["dmOrientation"] == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
  printer_->setCopyCount(std::clamp(v["dmCopies"], 1, 999));
  printer_->setColorMode(v["dmColor"] == 1 ? QPrinter::GrayScale : QPrinter::Color);
  printer_->setDuplex(v["dmDuplex"] == 2 ? QPrinter::DuplexLongSide
                      : v["dmDuplex"] == 3 ? QPrinter::DuplexShortSide
                                           : QPrinter::DuplexNone);
  printer_->setResolution(kResolution);
  printer_->setFullPage(true);
  device_->values = v;
  for (int k = 0; k < 4; ++k) margin_[k] = margins[k];
  Recompute();
  profile_ = name;
  return true;
}

bool TPageSetupDialog::SaveProfile() {
  std::unique_ptr<TIniSettings> ini;
  ISettingsStore* store = store_;
  if (!iniFile_.empty()) store = (ini = std::make_unique<TIniSettings>(iniFile_)).get();
  if (!store) return false;
  const std::string key = ProfileKey(profile_);
  const QPrinter& p = *printer_;
  std::map<std::string, int> v = device_->values;
  const QSizeF mm = p.pageLayout().pageSize().size(QPageSize::Millimeter);
  v["dmPaperSize"] = p.pageLayout().pageSize().windowsId();
  v["dmPaperWidth"] = static_cast<int>(mm.width() * 10 + 0.5);
  v["dmPaperLength"] = static_cast<int>(mm.height() * 10 + 0.5);
  v["dmOrientation"] = p.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
  v["dmCopies"] = p.copyCount();
  v["dmColor"] = p.colorMode() == QPrinter::GrayScale ? 1 : 2;
  v["dmDuplex"] = p.duplex() == QPrinter::DuplexLongSide ? 2 : p.duplex() == QPrinter::DuplexShortSide ? 3 : 1;
  const bool pdf = p.outputFormat() == QPrinter::PdfFormat;
  bool ok = store->WriteValue(key, "device", pdf ? "" : p.printerName().toStdString());
  ok = store->WriteValue(key, "driver", pdf ? "pdf" : "cups") && ok;
  ok = store->WriteValue(key, "port", pdf ? p.outputFileName().toStdString() : "") && ok;
  for (const char* n : kDeviceInts) ok = store->WriteValue(key, n, std::to_string(v[n])) && ok;
  for (int k = 0; k < 4; ++k) ok = store->WriteValue(key, kMargins[k], std::to_string(margin_[k])) && ok;
  ok = store->WriteValue(key, "PrnParsSaved", "1") && ok;
  device_->values = v;
  return ok;
}
