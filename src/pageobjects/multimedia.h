// Sound and video on pages through Qt Multimedia, the Flash placeholder, and
// the custom objects and icons that share the multimedia object kind.
#pragma once

#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "pageobjects/visual.h"

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class QVideoWidget;

// The player bar: play, pause, stop, start, end, step back and forward,
// driving one QMediaPlayer. The time label and position bar it keeps up to
// date every 200 ms while playing belong to its owner.
class TMyMediaPlayer : public QWidget {
  Q_OBJECT
public:
  explicit TMyMediaPlayer(QWidget* parent = nullptr);
  ~TMyMediaPlayer() override;

  QMediaPlayer* Player() const { return player_; }
  void SetFileName(const QString& path);
  QString FileName() const { return file_; }
  void SetLabels(QLabel* time, QSlider* position);
  void Play();
  void Pause();
  void Stop();  // stops and rewinds
  bool Playing() const;
  int PlaysStarted() const { return plays_; }
  void Refresh();

private:
  QMediaPlayer* player_;
  QAudioOutput* audio_;
  QTimer refresh_;
  QPointer<QLabel> time_;
  QPointer<QSlider> position_;
  QString file_;
  int plays_ = 0;
};

class TMyyMultimedia : public TMyyVisual {
  Q_OBJECT
public:
  explicit TMyyMultimedia(QWidget* parent = nullptr);
  ~TMyyMultimedia() override;

  void Bind(TZEBoggetto* obj) override;
  void LoadFromObject() override;
  void RefreshLook() override;
  void SetReadOnly(bool on) override;
  bool IsHidden(uint8_t mask) const override;
  std::string GetValue() const override;
  void SetValue(const std::string& v) override;
  bool IsOpaque() const override { return false; }

  // Starts (true) or stops playback.
  void SetPlaying(bool start);
  TMyMediaPlayer* MediaPlayer() const { return player_; }
  const std::string& Message() const { return message_; }
  int RemainingRepeats() const { return remaining_; }
  bool StartPending() const { return startPending_; }
  int VideoStartMode();  // the ebook's "mmode", read once

protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

private:
  void BuildPlayer(bool video);
  void BuildCustom(int type);
  void ApplySize();
  void ArrangeVideo();
  void SetMessage(const std::string& text);
  void StartStep(int step, int retry);
  void PlayNow();
  void EndOfPlay();
  void MediaError();
  bool PrintPreview() const;
  std::string MediaPath();
  QImage Glyph() const;

  TMyMediaPlayer* player_ = nullptr;
  QVideoWidget* video_ = nullptr;
  QSlider* position_ = nullptr;
  QLabel* time_ = nullptr;
  QLabel* info_ = nullptr;
  QWidget* custom_ = nullptr;
  int customType_ = 0;
  QImage icon_;
  std::string message_;
  int mmode_ = -1;
  int remaining_ = 0;
  bool startPending_ = true;
  bool flashGlyph_ = false;
  bool error_ = false;
};
