// The page setup: the chosen printer, its paper and the four margins, the
// scale factors from hundredths of a millimetre to printer pixels, and the
// named printer profiles kept in the settings store.
#pragma once

#include <QPrinter>
#include <memory>
#include <string>

class ISettingsStore;
class QWidget;

// Page setup options.
enum TPageSetupOption : unsigned {
  poDefaultMinMargins = 1, poMargins = 2, poMinMargins = 4, poHundredthsOfMillimeters = 8, poDisableMargins = 16,
  poDisablePrinter = 32
};

class TPageSetupDialog {
public:
  // The resolution pages are laid out at: a whole multiple of the 96 dpi the
  // text engine measures at, so that point sizes stay exact.
  static constexpr int kResolution = 576;

  explicit TPageSetupDialog(ISettingsStore* store = nullptr);
  ~TPageSetupDialog();

  unsigned Options() const { return options_; }
  void SetOptions(unsigned o) { options_ = o; }

  // Margins and minima in hundredths of a millimetre. A margin below its
  // minimum, or a minimum above its margin, is not taken.
  int MarginLeft() const { return margin_[0]; }
  int MarginTop() const { return margin_[1]; }
  int MarginRight() const { return margin_[2]; }
  int MarginBottom() const { return margin_[3]; }
  void SetMarginLeft(int v) { SetMargin(0, v); }
  void SetMarginTop(int v) { SetMargin(1, v); }
  void SetMarginRight(int v) { SetMargin(2, v); }
  void SetMarginBottom(int v) { SetMargin(3, v); }
  int MinMarginLeft() const { return min_[0]; }
  int MinMarginTop() const { return min_[1]; }
  int MinMarginRight() const { return min_[2]; }
  int MinMarginBottom() const { return min_[3]; }
  void SetMinMarginLeft(int v) { SetMin(0, v); }
  void SetMinMarginTop(int v) { SetMin(1, v); }
  void SetMinMarginRight(int v) { SetMin(2, v); }
  void SetMinMarginBottom(int v) { SetMin(3, v); }

  // Where profiles live: a key path in the settings store.
  const std::string& RegString() const { return regString_; }
  void SetRegString(const std::string& s) { regString_ = s; }
  const std::string& IniFile() const { return iniFile_; }
  void SetIniFile(const std::string& s) { iniFile_ = s; }
  const std::string& ProfileName() const { return profile_; }

  QPrinter& Printer() { return *printer_; }
  const QPrinter& Printer() const { return *printer_; }
  // Prints into a PDF file instead of the chosen printer.
  void SetPdfOutput(const std::string& path);
  bool PdfOutput() const;

  // Paper size: printer pixels and hundredths of a millimetre.
  int PageWidthPx() const { return pagePx_[0]; }
  int PageHeightPx() const { return pagePx_[1]; }
  int PageWidth() const { return page100_[0]; }
  int PageHeight() const { return page100_[1]; }
  // Printer pixels per hundredth of a millimetre, across and down.
  double FactorX() const { return factor_[0]; }
  double FactorY() const { return factor_[1]; }
  void Recompute();

  // Shows the platform's page setup dialog; margins come back through the setters.
  bool Execute(QWidget* parent);
  // Reads "PrnSettings_" + the current profile name; on success `name`
  // becomes the current profile. False when a value is missing or wrong.
  bool LoadProfile(const std::string& name);
  // Writes every value under "PrnSettings_" + the current profile name.
  bool SaveProfile();
  // The values of the device mode that this platform has no use for are kept
  // as they were read.
  int DeviceValue(const std::string& name) const;

private:
  void SetMargin(int i, int v);
  void SetMin(int i, int v);
  std::string ProfileKey(const std::string& name) const;

  ISettingsStore* store_;
  std::unique_ptr<QPrinter> printer_;
  unsigned options_ = poDefaultMinMargins | poMargins | poMinMargins | poHundredthsOfMillimeters;
  int margin_[4] = {1, 1, 1, 1};
  int min_[4] = {0, 0, 0, 0};
  std::string regString_, iniFile_, profile_;
  int pagePx_[2] = {0, 0}, page100_[2] = {0, 0};
  double factor_[2] = {0, 0};
  bool noPrinter_ = false;
  struct TDevice;
  std::unique_ptr<TDevice> device_;
};
