// The about window, also shown as the splash while the reader starts: the
// product's and the maker's pictures and the program version. A click on a
// picture scrolls a text through the picture area; any other click closes.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTimer>

class QLabel;

// The picture area: the two pictures, or the text scrolling through them.
class TAboutPictures : public QWidget {
  Q_OBJECT
public:
  explicit TAboutPictures(QWidget* parent = nullptr);
  QRect ProductRect() const;
  QRect MakerRect() const;
  bool Scrolling() const { return timer_.isActive(); }
  // Starts a text: font family and size, pixels between lines.
  void StartScroll(const QStringList& lines, const QString& family, int pointSize, int lineHeight);
  QSize sizeHint() const override { return {320, 200}; }

signals:
  void ClickedOutsidePictures();

protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;

private:
  void Step();
  QTimer timer_;
  QStringList lines_;
  QFont font_;
  int lineHeight_ = 12;
  int offset_ = 0;
};

class TFabout : public QDialog {
  Q_OBJECT
public:
  static constexpr const char* Version = "1.0.0.0";
  explicit TFabout(QWidget* parent = nullptr);
  TAboutPictures* Pictures() const { return pictures_; }
  static QStringList CreditsLines();

protected:
  void mousePressEvent(QMouseEvent* e) override;

private:
  TAboutPictures* pictures_;
  QLabel* version_;
};
