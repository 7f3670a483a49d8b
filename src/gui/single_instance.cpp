#include "gui/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QStringDecoder>

#include "base/log.h"

namespace quillon::gui {

namespace {

// A path longer than the system allows is not a path.
constexpr quint32 kPathLimit = 4096;
constexpr int kConnectTimeoutMs = 2000;

QByteArray frame(const QString& path) {
    const QByteArray bytes = path.toUtf8();
    QByteArray message(1, 'P');
    const auto length = static_cast<quint32>(bytes.size());
    for (int shift = 24; shift >= 0; shift -= 8) {
        message.append(static_cast<char>((length >> shift) & 0xFFU));
    }
    return message + bytes;
}

}  // namespace

QString SingleInstance::defaultName() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + QStringLiteral("/Quillonex-%1").arg(::getuid());
}

int SingleInstance::handOver(const QString& name, const QStringList& paths) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return -1;
    }
    int taken = 0;
    for (const QString& path : paths) {
        socket.write(frame(path));
        if (!socket.waitForBytesWritten(kConnectTimeoutMs)) {
            break;
        }
        // The running copy may be in the middle of a command; it takes the path afterwards.
        while (socket.bytesAvailable() < 1) {
            if (!socket.waitForReadyRead(-1)) {
                return taken;
            }
        }
        char answer = 0;
        if (!socket.getChar(&answer) || answer != 'A') {
            return taken;
        }
        ++taken;
    }
    socket.disconnectFromServer();
    return taken;
}

SingleInstance::SingleInstance(QString name, std::function<bool(const QString&)> takeFile,
                               std::function<void()> raise, QObject* parent)
    : QObject(parent),
      name_(std::move(name)),
      takeFile_(std::move(takeFile)),
      raise_(std::move(raise)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::newConnection);
    if (server_->listen(name_)) {
        return true;
    }
    // Nobody answered on the name before we got here: what is left is a crashed copy's socket.
    QLocalServer::removeServer(name_);
    return server_->listen(name_);
}

void SingleInstance::newConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        pending_[socket];
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { process(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            pending_.erase(socket);
            socket->deleteLater();
        });
        if (raise_) {
            raise_();
        }
        process(socket);
    }
}

void SingleInstance::resume() {
    std::vector<QLocalSocket*> sockets;
    for (const auto& entry : pending_) {
        sockets.push_back(entry.first);
    }
    for (QLocalSocket* socket : sockets) {
        process(socket);
    }
}

void SingleInstance::process(QLocalSocket* socket) {
    const auto it = pending_.find(socket);
    if (it == pending_.end()) {
        return;
    }
    QByteArray& buffer = it->second;
    buffer += socket->readAll();
    while (buffer.size() >= 5) {
        quint32 length = 0;
        for (int i = 1; i <= 4; ++i) {
            length = (length << 8) | static_cast<unsigned char>(buffer[i]);
        }
        bool wellFormed = buffer[0] == 'P' && length > 0 && length <= kPathLimit;
        if (wellFormed && buffer.size() < 5 + static_cast<qsizetype>(length)) {
            return;  // the rest of the path is on its way
        }
        QString path;
        if (wellFormed) {
            const QByteArray bytes = buffer.mid(5, static_cast<qsizetype>(length));
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            path = decoder.decode(bytes);
            wellFormed = !decoder.hasError() && !bytes.contains('\0');
        }
        if (!wellFormed) {
            writeLog("quillon: ignored a message from another copy that is not a path list\n");
            pending_.erase(it);
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
            return;
        }
        if (!takeFile_(path)) {
            return;  // offered again when the window is idle
        }
        buffer.remove(0, 5 + static_cast<qsizetype>(length));
        socket->write("A", 1);
        socket->flush();
    }
}

}  // namespace quillon::gui
