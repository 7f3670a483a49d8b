// One copy of the window per user. The first copy listens on a local socket named after
// "Quillonex" and the user id in the user's runtime folder, open to that user only. A later
// copy hands it its file paths one by one, in order, waiting until each was taken, and ends.
// A socket left behind by a copy that crashed answers nobody; it is removed and taken over.
//
// Each path travels as 'P', its length as four bytes (most significant first) and its UTF-8
// bytes; the running copy answers 'A' once the path is in its list. A message of another form
// is logged and the connection dropped.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

class QLocalServer;
class QLocalSocket;

namespace quillon::gui {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // The socket's full name for this user.
    static QString defaultName();

    // Hands paths to the copy listening on name. Returns how many it took, or -1 when no copy
    // answers (then nothing was handed over).
    static int handOver(const QString& name, const QStringList& paths);

    // takeFile adds one path and returns true, or returns false while the window is busy; the
    // path is then offered again at resume(). raise brings the window to the front.
    SingleInstance(QString name, std::function<bool(const QString&)> takeFile,
                   std::function<void()> raise, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Starts listening, after removing a socket that no copy answers on. False when the
    // socket cannot be made.
    bool listen();
    // Offers the paths that waited for the window to become idle again.
    void resume();

  private:
    void newConnection();
    void process(QLocalSocket* socket);

    QString name_;
    std::function<bool(const QString&)> takeFile_;
    std::function<void()> raise_;
    QLocalServer* server_ = nullptr;
    std::map<QLocalSocket*, QByteArray> pending_;
};

}  // namespace quillon::gui
