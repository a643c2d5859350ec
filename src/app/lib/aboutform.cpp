#include "app/lib/aboutform.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/lang/oxlangs.h"

namespace {
constexpr int StepMs = 18, StepPixels = 2, LinesDrawn = 10;
}

TAboutPictures::TAboutPictures(QWidget* parent) : QWidget(parent) {
  setFixedSize(sizeHint());
  timer_.setInterval(StepMs);
  connect(&timer_, &QTimer::timeout, this, &TAboutPictures::Step);
}

QRect TAboutPictures::ProductRect() const { return {10, 10, width() - 20, 120}; }
QRect TAboutPictures::MakerRect() const { return {10, 140, width() - 20, 50}; }

void TAboutPictures::StartScroll(const QStringList& lines, const QString& family, int pointSize, int lineHeight) {
  lines_ = lines;
  font_ = QFont(family, pointSize);
  lineHeight_ = lineHeight;
  offset_ = height();  // the text comes in from below
  timer_.start();
  update();
}

void TAboutPictures::Step() {
  offset_ -= StepPixels;
  // Once the last line has left the area, the pictures come back.
  if (offset_ + int(lines_.size()) * lineHeight_ < 0) timer_.stop();
  update();
}

void TAboutPictures::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (timer_.isActive()) {
    p.setFont(font_);
    p.setPen(Qt::black);
    const int first = std::max(0, -offset_ / lineHeight_);
    for (int i = first; i < first + LinesDrawn && i < int(lines_.size()); ++i)
      p.drawText(QRect(0, offset_ + i * lineHeight_, width(), lineHeight_), Qt::AlignHCenter | Qt::AlignVCenter,
                 lines_[i]);
    return;
  }
  const QRect product = ProductRect();
  QLinearGradient g(product.topLeft(), product.bottomRight());
  g.setColorAt(0, QColor(0x1F, 0x3A, 0x7A));
  g.setColorAt(1, QColor(0x4A, 0x7B, 0xC8));
  p.fillRect(product, g);
  p.setPen(Qt::white);
  p.setFont(QFont("Times New Roman", 30, QFont::Bold));
  p.drawText(product.adjusted(0, 10, 0, -40), Qt::AlignCenter, "Lectra");
  p.setFont(QFont("Arial", 10));
  p.drawText(product.adjusted(0, 70, 0, -10), Qt::AlignCenter, Tr("Il lettore di ebook ipertestuali"));
  const QRect maker = MakerRect();
  p.fillRect(maker, QColor(0xF2, 0xEE, 0xE2));
  p.setPen(QColor(0x60, 0x40, 0x20));
  p.setFont(QFont("Arial", 14, QFont::Bold));
  p.drawText(maker, Qt::AlignCenter, "Norvane");
}

void TAboutPictures::mousePressEvent(QMouseEvent* e) {
  const QPoint at = e->position().toPoint();
  if (ProductRect().contains(at)) StartScroll(TFabout::CreditsLines(), "Arial", 8, 12);
  else if (MakerRect().contains(at)) StartScroll({"Norvane"}, "Arial", 12, 16);
  else emit ClickedOutsidePictures();
}

QStringList TFabout::CreditsLines() {
  return {"Lectra", Tr("il lettore di ebook ipertestuali"), "", Tr("Pagine, cornici e collegamenti"),
          Tr("Testo e impaginazione"), Tr("Immagini GIF, JPEG, PNG e BMP"), "", Tr("Realizzato con Qt 6,"),
          Tr("libjpeg e giflib"), "", "Norvane"};
}

TFabout::TFabout(QWidget* parent) : QDialog(parent) {
  setObjectName("Fabout");
  setWindowTitle("Informazioni");
  auto* layout = new QVBoxLayout(this);
  pictures_ = new TAboutPictures(this);
  layout->addWidget(pictures_);
  version_ = new QLabel("Versione", this);
  version_->setAlignment(Qt::AlignCenter);
  version_->setObjectName("Versione");
  layout->addWidget(version_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(pictures_, &TAboutPictures::ClickedOutsidePictures, this, &QDialog::accept);
  auto* languager = new TOxLanguager(this);
  languager->SetLocalizationString(BuiltInTable("Fabout"));
  version_->setText(version_->text() + " " + Version);
}

void TFabout::mousePressEvent(QMouseEvent*) { accept(); }
