// Drags that end on a window, as a file manager or an editor ends them.
#pragma once

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QWindow>

namespace framora::test {

// Ends a drag over the window at `at` (window coordinates), the way the window system delivers
// it: the window finds the widget there that takes drops, or its nearest parent that does.
inline bool DropAt(QWidget* window, QPoint at, const QMimeData& mime) {
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window->windowHandle(), &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(window->windowHandle(), &drop);
  return drop.isAccepted();
}

inline QPoint CentreOf(QWidget* window, QWidget* w) { return w->mapTo(window, w->rect().center()); }

inline QMimeData* Files(const QStringList& paths) {
  auto* mime = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  mime->setUrls(urls);
  mime->setText(urls.first().toString());  // file managers offer the text too
  return mime;
}

}  // namespace framora::test
