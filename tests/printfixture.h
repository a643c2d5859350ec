// Printing into PDF files read back with poppler's tools, for the print tests.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPageSize>
#include <QProcess>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "printing/pagesetup.h"
#include "printing/printjob.h"
#include "printing/zebpagep.h"
#include "testutil.h"

inline std::string RunTool(const QString& program, const QStringList& args, int* status = nullptr,
                const QString& config = {}) {
  QProcess p;
  if (!config.isEmpty()) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    p.setProcessEnvironment(env);
  }
  p.start(program, args);
  p.waitForFinished(20000);
  if (status) *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return p.readAllStandardOutput().toStdString() + (status ? p.readAllStandardError().toStdString() : "");
}

inline int SheetCount(const std::string& pdf) {
  const std::string info = RunTool("pdfinfo", {QString::fromStdString(pdf)});
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

inline std::string SheetText(const std::string& pdf, int sheet) {
  const QString n = QString::number(sheet);
  return RunTool("pdftotext", {"-f", n, "-l", n, QString::fromStdString(pdf), "-"});
}

// The sheet as a picture at a low resolution.
inline QImage SheetImage(const std::string& pdf, int sheet, const std::string& base, int dpi = 20) {
  const QString n = QString::number(sheet);
  RunTool("pdftoppm", {"-r", QString::number(dpi), "-f", n, "-l", n, "-singlefile", "-png", QString::fromStdString(pdf),
                   QString::fromStdString(base)});
  return QImage(QString::fromStdString(base + ".png"));
}

inline int CountPixels(const QImage& img, bool (*match)(QColor)) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += match(img.pixelColor(x, y));
  return n;
}

// An ebook of one or more pages, printed through the one print path.
struct PrintFixture : DocFixture {
  TZebWriter w;
  TPageSetupDialog setup{&settings};
  TPrintOptions options;
  std::string pdf = dir.File("out.pdf");

  PrintFixture() {
    w.AddDefaultStyles();
    setup.Printer().setPageSize(QPageSize(QPageSize::A4));
    for (auto set : {&TPageSetupDialog::SetMarginLeft, &TPageSetupDialog::SetMarginTop,
                     &TPageSetupDialog::SetMarginRight, &TPageSetupDialog::SetMarginBottom})
      (setup.*set)(1000);
    setup.SetPdfOutput(pdf);
  }
  std::string Print(std::vector<int> pages = {0}) {
    if (doc->ZEBFileName().empty()) {
      EXPECT_TRUE(OpenBuilt(w));
    }
    TPrintRequest r;
    r.pages = std::move(pages);
    r.options = options;
    return PrintPages(*doc, setup, r);
  }
  // The job of page 0, laid out but not printed.
  std::unique_ptr<TZEBpageP> Prepared() {
    if (doc->ZEBFileName().empty()) {
      EXPECT_TRUE(OpenBuilt(w));
    }
    auto job = std::make_unique<TZEBpageP>(setup, options);
    job->Prepare(doc->Page(0));
    return job;
  }
};

// "<Z S0 L20 >word" paragraphs: one line each, 20 screen pixels high.
inline std::string Lines(int n, const std::string& prefix = "riga") {
  std::string m;
  char buf[64];
  for (int i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "<Z S0 L20 >%s%03d", prefix.c_str(), i);
    m += buf;
  }
  return m;
}

// The box around the pixels that match, empty when none does.
inline QRect PixelBounds(const QImage& img, bool (*match)(QColor)) {
  QRect r;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (match(img.pixelColor(x, y))) r |= QRect(x, y, 1, 1);
  return r;
}
