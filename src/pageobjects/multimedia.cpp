#include "pageobjects/multimedia.h"

#include <QAudioOutput>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMediaPlayer>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVideoWidget>
#include <algorithm>

#include "document/mediarecords.h"
#include "document/strutil.h"
#include "document/zebset.h"
#include "pageobjects/framesetapi.h"
#include "pageobjects/zebframeset.h"
#include "pageobjects/zebpage.h"

using namespace mediarec;

namespace {

constexpr int kBarWidth = 198, kBarHeight = 30;
const char* const kStopped = "F11 per vedere Multimedia.\r\nTasto destro mouse per l'edit.";

QString TimeText(qint64 ms) {
  const qint64 s = std::max<qint64>(ms, 0) / 1000;
  return QString("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QChar('0')).arg(s % 60, 2, 10, QChar('0'));
}

// The program's own little glyphs: a note for sounds played by themselves,
// a film strip for the Flash placeholder, a labelled square for icons.
QImage DrawGlyph(int w, int h, const QString& label, QColor colour) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(colour.darker(150));
  p.setBrush(colour);
  p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 3, 3);
  p.setPen(Qt::white);
  QFont f("Arial");
  f.setPixelSize(std::max(6, h * 2 / 3));
  f.setBold(true);
  p.setFont(f);
  p.drawText(img.rect(), Qt::AlignCenter, label);
  return img;
}

}  // namespace

// ---------------------------------------------------------------- player bar

TMyMediaPlayer::TMyMediaPlayer(QWidget* parent)
    : QWidget(parent), player_(new QMediaPlayer(this)), audio_(new QAudioOutput(this)) {
  player_->setAudioOutput(audio_);
  setFixedSize(kBarWidth, kBarHeight);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  struct {
    QStyle::StandardPixmap icon;
    const char* tip;
    std::function<void()> act;
  } buttons[] = {
      {QStyle::SP_MediaPlay, "Avvia", [this] { Play(); }},
      {QStyle::SP_MediaPause, "Pausa", [this] { Pause(); }},
      {QStyle::SP_MediaStop, "Ferma", [this] { Stop(); }},
      {QStyle::SP_MediaSkipBackward, "Inizio", [this] { player_->setPosition(0); Refresh(); }},
      {QStyle::SP_MediaSkipForward, "Fine", [this] { player_->setPosition(player_->duration()); Refresh(); }},
      {QStyle::SP_MediaSeekBackward, "Indietro", [this] { player_->setPosition(std::max<qint64>(0, player_->position() - 1000)); Refresh(); }},
      {QStyle::SP_MediaSeekForward, "Avanti", [this] { player_->setPosition(player_->position() + 1000); Refresh(); }},
  };
  for (auto& b : buttons) {
    auto* t = new QToolButton(this);
    t->setIcon(style()->standardIcon(b.icon));
    t->setToolTip(QString::fromUtf8(b.tip));
    t->setFixedSize(kBarWidth / 7, kBarHeight);
    connect(t, &QToolButton::clicked, this, b.act);
    row->addWidget(t);
  }
  refresh_.setInterval(200);
  connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });
}

TMyMediaPlayer::~TMyMediaPlayer() { player_->stop(); }

void TMyMediaPlayer::SetFileName(const QString& path) {
  if (path == file_) return;
  player_->stop();
  file_ = path;
  player_->setSource(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
}

void TMyMediaPlayer::SetLabels(QLabel* time, QSlider* position) {
  time_ = time;
  position_ = position;
  if (position_)
    connect(position_, &QSlider::sliderMoved, this, [this](int v) {
      if (!Playing() && player_->duration() > 0) player_->setPosition(player_->duration() * v / 1000);
    });
}

void TMyMediaPlayer::Play() {
  ++plays_;
  player_->play();
  refresh_.start();
  Refresh();
}

void TMyMediaPlayer::Pause() {
  player_->pause();
  refresh_.start();
  Refresh();
}

void TMyMediaPlayer::Stop() {
  refresh_.stop();
  player_->stop();
  player_->setPosition(0);
  Refresh();
}

bool TMyMediaPlayer::Playing() const { return player_->playbackState() == QMediaPlayer::PlayingState; }

void TMyMediaPlayer::Refresh() {
  if (time_) time_->setText(TimeText(player_->position()));
  if (position_ && player_->duration() > 0 && !position_->isSliderDown())
    position_->setValue(int(player_->position() * 1000 / player_->duration()));
  if (player_->playbackState() == QMediaPlayer::StoppedState) refresh_.stop();
}

// ---------------------------------------------------------------- multimedia object

TMyyMultimedia::TMyyMultimedia(QWidget* parent) : TMyyVisual(parent) {
  setFocusPolicy(Qt::TabFocus);
  info_ = new QLabel(this);
  info_->setFont(QFont("Arial"));
  info_->setWordWrap(true);
  info_->setAttribute(Qt::WA_TransparentForMouseEvents);
  info_->hide();
}

TMyyMultimedia::~TMyyMultimedia() {
  if (player_) player_->Stop();
}

void TMyyMultimedia::Bind(TZEBoggetto* obj) {
  TMyyVisual::Bind(obj);
  LoadFromObject();
}

void TMyyMultimedia::LoadFromObject() { RefreshLook(); }

bool TMyyMultimedia::PrintPreview() const {
  auto* fs = dynamic_cast<TZEBCustomFrameSet*>(const_cast<TMyyMultimedia*>(this)->GetFrameSet());
  return fs && fs->AutoJump();
}

int TMyyMultimedia::VideoStartMode() {
  if (mmode_ < 0) {
    TZEBset* doc = Object() ? Object()->Document() : nullptr;
    mmode_ = doc ? std::max(0, str::ToIntDef(doc->GetDocProperty("mmode"), 0)) : 0;
  }
  return mmode_;
}

std::string TMyyMultimedia::MediaPath() {
  TZEBoggetto* o = Object();
  TZEBset* doc = o ? o->Document() : nullptr;
  TZEBoggetto* file = doc ? doc->ObjectById(FileId(*o)) : nullptr;
  if (!file || file->Kind() != genLink || file->IsDeleted()) return {};
  return file->ExtractToTemp();
}

QImage TMyyMultimedia::Glyph() const {
  if (!icon_.isNull()) return icon_;
  if (flashGlyph_) return DrawGlyph(36, 36, "F", QColor(0xC0, 0x30, 0x30));
  return {};
}

void TMyyMultimedia::RefreshLook() {
  TZEBoggetto* o = Object();
  if (!o) return;
  const int sub = o->State();
  flashGlyph_ = false;
  icon_ = QImage();
  if (IsSound(sub) || IsVideo(sub)) {
    BuildPlayer(IsVideo(sub));
    const std::string path = MediaPath();
    if (!path.empty() && QFileInfo::exists(QString::fromStdString(path))) {
      player_->SetFileName(QString::fromStdString(path));
      if (AutoPlays(*o)) remaining_ = RepeatCount(*o);
    } else {
      TZEBoggetto* f = o->Document() ? o->Document()->ObjectById(FileId(*o)) : nullptr;
      SetMessage("File non trovato: " + (path.empty() && f ? f->FileName() : path));
      error_ = true;
    }
  } else if (sub == mkFlash) {
    const std::string path = MediaPath();
    TZEBoggetto* f = o->Document() ? o->Document()->ObjectById(FileId(*o)) : nullptr;
    const std::string name = f ? f->FileName() : path;
    flashGlyph_ = str::Lower(name).size() >= 4 && str::Lower(name).substr(name.size() - 4) == ".swf";
    if (path.empty()) SetMessage("File non trovato: " + name);
    else SetMessage("Flash non disponibile su questo sistema: " + name);
  } else if (sub == mkCustom) {
    TZEBoggetto* c = o->Document() ? o->Document()->ObjectById(FileId(*o)) : nullptr;
    BuildCustom(c && c->Kind() == custom ? c->State() : 0);
  } else if (sub == mkIcon) {
    const int type = IconTypeOf(*o);
    if (type == 18) {
      TZEBoggetto* pic = o->Document() ? o->Document()->ObjectById(IconPictureId(*o)) : nullptr;
      icon_ = pic ? PictureImage(pic->Picture()) : QImage();
    } else {
      const int w = (type == 9 || type == 21) ? 36 : 27;
      icon_ = DrawGlyph(w, w, QString::number(type), QColor(0x30, 0x70, 0xB0));
    }
  }
  ApplySize();
  SetPlaying(ReadOnly());
  IFrameSetHost* fs = GetFrameSet();
  const std::string hint = fs ? DescriptionHint(fs->HintFor(o)) : std::string();
  setToolTip(QString::fromStdString(o->Document() ? o->Document()->CodePage().ToUtf8(hint) : hint));
  if (player_) player_->setToolTip(toolTip());
}

void TMyyMultimedia::BuildPlayer(bool video) {
  if (player_) return;
  player_ = new TMyMediaPlayer(this);
  if (video) {
    video_ = new QVideoWidget(this);
    QPalette pal = video_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    video_->setPalette(pal);
    video_->setAutoFillBackground(true);
    player_->Player()->setVideoOutput(video_);
    time_ = new QLabel("0:00:00", this);
    time_->setFont(QFont("Arial"));
    position_ = new QSlider(Qt::Horizontal, this);
    position_->setRange(0, 1000);
  }
  player_->SetLabels(time_, position_);
  connect(player_->Player(), &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
    if (s == QMediaPlayer::EndOfMedia) EndOfPlay();
  });
  connect(player_->Player(), &QMediaPlayer::errorOccurred, this, [this] { MediaError(); });
}

void TMyyMultimedia::BuildCustom(int type) {
  if (type != customType_) {
    delete custom_;
    custom_ = nullptr;
    customType_ = type;
  }
  if (custom_ || type < 3 || type > 8) return;
  switch (type) {
    case 3: custom_ = new QLineEdit(this); break;
    case 4: custom_ = new QPlainTextEdit(this); break;
    case 5: custom_ = new QRadioButton(this); break;
    case 6: custom_ = new QCheckBox(this); break;
    case 7: custom_ = new QListWidget(this); break;
    default: custom_ = new QComboBox(this); break;
  }
}

void TMyyMultimedia::ApplySize() {
  TZEBoggetto* o = Object();
  const int sub = o->State();
  int w = StoredWidth(*o), h = StoredHeight(*o);
  if (InPercent(*o)) {
    TZEBpage* page = nullptr;
    for (QWidget* p = parentWidget(); p && !page; p = p->parentWidget()) page = qobject_cast<TZEBpage*>(p);
    const int tw = ParentWidth() > 0 ? ParentWidth() : 100;
    const int ph = page && page->viewport()->height() > 0 ? page->viewport()->height() : 100;
    w = tw * w / 100;
    h = ph * h / 100;
  }
  w = std::clamp(w, 1, 8000);
  h = std::clamp(h, 1, 8000);
  const bool autoPlay = AutoPlays(*o);
  const int cw = fontMetrics().averageCharWidth(), lh = fontMetrics().lineSpacing();
  if (IsSound(sub)) {
    player_->setVisible(!autoPlay);
    resize(autoPlay ? QSize(18, 18) : player_->size());
    if (autoPlay) icon_ = DrawGlyph(18, 18, QString::fromUtf8("\u266A"), QColor(0x30, 0x90, 0x50));
  } else if (IsVideo(sub)) {
    player_->setVisible(!autoPlay);
    if (time_) time_->setVisible(!autoPlay);
    if (position_) position_->setVisible(!autoPlay);
    resize(autoPlay ? QSize(w, h) : QSize(std::max(w, kBarWidth + 120), h + kBarHeight));
  } else if (sub == mkCustom) {
    static const int fixed[] = {0, 18, 0, 0, 0, 13, 13, 0, 0, 18};
    if (customType_ == 1 || customType_ == 9) resize(18, 18);
    else if (customType_ == 5 || customType_ == 6) resize(fixed[customType_], fixed[customType_]);
    else if (customType_ == 3) resize(cw * 20, custom_->sizeHint().height());
    else if (customType_ == 4) resize(cw * 40, lh * 10 + 4);
    else if (customType_ == 7) resize(custom_->sizeHint().width(), lh * 10 + 4);
    else if (customType_ == 8) resize(custom_->sizeHint());
    else resize(w, h);
  } else if (sub == mkIcon && !icon_.isNull()) {
    resize(icon_.size());
  } else {
    resize(w, h);
  }
  ArrangeVideo();
}

void TMyyMultimedia::resizeEvent(QResizeEvent*) { ArrangeVideo(); }

void TMyyMultimedia::ArrangeVideo() {
  if (custom_) custom_->setGeometry(rect());
  info_->setGeometry(56, 8, std::max(10, width() - 60), 48);
  if (!player_) return;
  if (!video_) {
    player_->move(0, 0);
    return;
  }
  const bool bar = !player_->isHidden();
  const int panel = bar ? height() - kBarHeight : height();
  video_->setGeometry(0, 0, width(), std::max(0, panel));
  if (!bar) return;
  player_->move(0, panel);
  time_->setGeometry(kBarWidth + 4, panel + 5, 56, kBarHeight - 10);
  const int left = kBarWidth + 4 + 56 + 8;
  position_->setGeometry(left, panel + 5, std::max(10, width() - left), kBarHeight - 10);
}

void TMyyMultimedia::SetMessage(const std::string& text) {
  message_ = text;
  QString t = QString::fromStdString(text);
  t.replace("\r\n", "\n");
  info_->setText(t);
}

void TMyyMultimedia::SetReadOnly(bool on) {
  TMyyVisual::SetReadOnly(on);
  if (Object()) SetPlaying(on);
}

void TMyyMultimedia::SetPlaying(bool start) {
  if (PrintPreview()) {
    SetMessage("Multimedia");
    info_->show();
    return;
  }
  if (!player_) {
    info_->setVisible(!message_.empty());
    return;
  }
  if (!start || error_ || !isVisible()) {
    startPending_ = false;
    if (player_->Playing() || player_->Player()->playbackState() == QMediaPlayer::PausedState) player_->Stop();
    if (!error_) SetMessage(kStopped);
    info_->setVisible(player_->isHidden() || error_ || !ReadOnly());
    return;
  }
  info_->hide();
  TZEBoggetto* o = Object();
  if (!AutoPlays(*o)) return;  // the user starts it from the bar
  remaining_ = RepeatCount(*o);
  if (remaining_ == 0 || player_->Playing()) return;
  static const int deferred[] = {0, 1, 4, 5, 8, 9, 12, 13};
  if (IsVideo(o->State()) && std::count(std::begin(deferred), std::end(deferred), VideoStartMode())) {
    startPending_ = true;
    QMetaObject::invokeMethod(this, [this] { StartStep(0, 0); }, Qt::QueuedConnection);
  } else {
    PlayNow();
  }
}

// A deferred start waits, 50 ms at a time and at most 20 times, while the
// control is off the page or the page is not being read.
void TMyyMultimedia::StartStep(int step, int retry) {
  if (!player_ || error_) return;
  if (x() < -19900 || !ReadOnly() || !isVisible()) {
    if (retry < 20) {
      QPointer<TMyyMultimedia> self(this);
      QTimer::singleShot(50, this, [self, step, retry] {
        if (self) self->StartStep(step, retry + 1);
      });
    }
    return;
  }
  PlayNow();
}

void TMyyMultimedia::PlayNow() {
  startPending_ = false;
  if (player_ && !error_) player_->Play();
}

void TMyyMultimedia::EndOfPlay() {
  TZEBoggetto* o = Object();
  if (!o || startPending_ || !AutoPlays(*o)) return;
  if (remaining_ != -1) {
    if (remaining_ < 2) {
      remaining_ = 0;
      player_->Stop();
      return;
    }
    --remaining_;
  }
  if (ReadOnly() && !PrintPreview()) {
    player_->Player()->setPosition(0);
    player_->Play();
  }
}

void TMyyMultimedia::MediaError() {
  QMediaPlayer* p = player_->Player();
  std::string text = "." + p->errorString().toStdString();
  if (p->error() == QMediaPlayer::FormatError)
    text += "\r\nManca il componente di GStreamer per questo tipo di file "
            "(gstreamer1.0-plugins-good, gstreamer1.0-libav).";
  error_ = true;
  remaining_ = 0;
  SetMessage(text);
  info_->show();
  info_->raise();
  p->stop();
}

void TMyyMultimedia::showEvent(QShowEvent* e) {
  TMyyVisual::showEvent(e);
  if (ReadOnly() && player_ && !player_->Playing()) SetPlaying(true);
}

// A page that is left or hidden falls silent.
void TMyyMultimedia::hideEvent(QHideEvent* e) {
  TMyyVisual::hideEvent(e);
  if (player_ && player_->Playing()) SetPlaying(false);
}

bool TMyyMultimedia::IsHidden(uint8_t mask) const {
  (void)mask;
  TZEBoggetto* o = Object();
  if (!o) return false;
  if (o->State() == mkCustom) {
    TZEBoggetto* c = o->Document() ? o->Document()->ObjectById(FileId(*o)) : nullptr;
    return c && c->Kind() == custom && c->State() == 1;
  }
  const int t = IconTypeOf(*o);
  return o->State() == mkIcon && (t == 1 || (t >= 9 && t <= 19));
}

std::string TMyyMultimedia::GetValue() const {
  TZEBset* doc = Object() ? Object()->Document() : nullptr;
  auto b = [&](const QString& s) { return doc ? doc->CodePage().FromUtf8(s.toStdString()) : s.toStdString(); };
  if (auto* e = qobject_cast<QLineEdit*>(custom_)) return b(e->text());
  if (auto* m = qobject_cast<QPlainTextEdit*>(custom_)) return b(m->toPlainText());
  if (auto* c = qobject_cast<QAbstractButton*>(custom_)) return c->isChecked() ? "checked" : "";
  if (auto* l = qobject_cast<QListWidget*>(custom_)) return l->currentItem() ? b(l->currentItem()->text()) : "";
  if (auto* c = qobject_cast<QComboBox*>(custom_)) return b(c->currentText());
  return {};
}

void TMyyMultimedia::SetValue(const std::string& v) {
  TZEBset* doc = Object() ? Object()->Document() : nullptr;
  const QString u = QString::fromStdString(doc ? doc->CodePage().ToUtf8(v) : v);
  if (auto* e = qobject_cast<QLineEdit*>(custom_)) e->setText(u);
  if (auto* m = qobject_cast<QPlainTextEdit*>(custom_)) m->setPlainText(u);
  if (auto* c = qobject_cast<QAbstractButton*>(custom_)) c->setChecked(str::Lower(v) == "checked");
}

void TMyyMultimedia::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QImage glyph = Glyph();
  if (ReadOnly()) {
    if (!glyph.isNull()) p.drawImage(flashGlyph_ && info_->isVisible() ? QPoint(8, 8) : QPoint(0, 0), glyph);
    return;
  }
  if (!glyph.isNull()) {
    p.drawImage(0, 0, glyph);
  } else {
    p.setPen(Qt::black);
    p.setBrush(palette().window());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}
