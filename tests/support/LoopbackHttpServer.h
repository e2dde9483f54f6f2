// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

/**
 * A small HTTP/1.1 server on loopback addresses for the site download tests
 * and benchmark. It answers in its own thread, so a client that blocks its
 * event loop still gets answers. Routes may be added at any time. A folder asked for without its "/" is redirected (301) to it,
 * anything unknown is a 404. Connections are kept alive.
 */
class LoopbackHttpServer
{
public:
    struct Response
    {
        int status = 200;
        QByteArray contentType = "text/html";
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
        /// Milliseconds before anything is sent.
        int delayMs = 0;
        /// The first n requests get the headers and part of the body, then
        /// the connection closes.
        int closeTimes = 0;
        /// The body repeated up to this many bytes, sent as the client reads.
        qint64 streamBytes = 0;
    };

    LoopbackHttpServer() = default;
    LoopbackHttpServer(const LoopbackHttpServer &) = delete;
    LoopbackHttpServer &operator=(const LoopbackHttpServer &) = delete;

    ~LoopbackHttpServer() { stop(); }

    /// path with its query, e.g. "/a/b.html?x=1"; host "" answers on every address.
    void route(const QByteArray &path, const Response &response, const QByteArray &host = QByteArray())
    {
        QMutexLocker lock(&m_mutex);
        m_routes.insert(host + ' ' + path, response);
    }
    void page(const QByteArray &path, const QByteArray &html, const QByteArray &host = QByteArray())
    {
        Response r;
        r.body = html;
        route(path, r, host);
    }
    void redirect(const QByteArray &path, const QByteArray &location, int status = 302)
    {
        Response r;
        r.status = status;
        r.headers.append({"Location", location});
        route(path, r);
    }

    /// Listens on each address with one common port; false when that failed.
    bool start(const QList<QHostAddress> &addresses = {QHostAddress(QStringLiteral("127.0.0.1"))})
    {
        stop();
        m_port = 0;
        m_thread = std::make_unique<QThread>();
        m_context = new QObject;
        m_context->moveToThread(m_thread.get());
        QObject::connect(m_thread.get(), &QThread::finished, m_context, &QObject::deleteLater);
        m_thread->start();
        bool ok = true;
        QMetaObject::invokeMethod(
            m_context,
            [this, addresses, &ok] {
                for (const QHostAddress &address : addresses) {
                    auto *server = new QTcpServer(m_context);
                    if (!server->listen(address, m_port)) {
                        ok = false;
                        return;
                    }
                    m_port = server->serverPort();
                    QObject::connect(server, &QTcpServer::newConnection, server, [this, server] {
                        while (QTcpSocket *socket = server->nextPendingConnection())
                            serve(socket);
                    });
                }
            },
            Qt::BlockingQueuedConnection);
        return ok;
    }

    void stop()
    {
        if (!m_thread)
            return;
        m_thread->quit();
        m_thread->wait();
        m_thread.reset();
    }

    quint16 port() const { return m_port; }

    QString url(const QString &path, const QString &host = QStringLiteral("127.0.0.1")) const
    {
        return QStringLiteral("http://%1:%2%3").arg(host).arg(m_port).arg(path);
    }
    QByteArray urlBytes(const QByteArray &path, const QByteArray &host = "127.0.0.1") const
    {
        return "http://" + host + ':' + QByteArray::number(m_port) + path;
    }

    /// "host path" of each request, in order.
    QStringList requests() const
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }
    qsizetype requestCount(const QString &path) const
    {
        QMutexLocker lock(&m_mutex);
        qsizetype n = 0;
        for (const QString &line : m_requests)
            if (line.section(u' ', 1) == path)
                ++n;
        return n;
    }
    QStringList userAgents() const
    {
        QMutexLocker lock(&m_mutex);
        return m_agents;
    }
    qint64 bytesSent() const { return m_bytesSent.load(); }

private:
    struct Connection
    {
        QByteArray buffer;
        bool busy = false;
    };

    void serve(QTcpSocket *socket)
    {
        auto connection = std::make_shared<Connection>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, connection] {
            connection->buffer += socket->readAll();
            next(socket, connection);
        });
    }

    void next(QTcpSocket *socket, const std::shared_ptr<Connection> &connection)
    {
        if (connection->busy)
            return;
        const qsizetype end = connection->buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = connection->buffer.left(end);
        connection->buffer.remove(0, end + 4);
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> request = lines.first().trimmed().split(' ');
        if (request.size() < 2) {
            socket->disconnectFromHost();
            return;
        }
        const bool headOnly = request.at(0) == "HEAD";
        QByteArray path = request.at(1);
        QByteArray agent;
        for (const QByteArray &line : lines)
            if (line.toLower().startsWith("user-agent:"))
                agent = line.mid(11).trimmed();
        const QByteArray host = socket->localAddress().toString().toLatin1();
        {
            QMutexLocker lock(&m_mutex);
            m_requests.append(QString::fromLatin1(host + ' ' + path));
            m_agents.append(QString::fromLatin1(agent));
        }
        Response response;
        if (!find(host, path, &response)) {
            if (!path.endsWith('/') && !path.contains('?') && find(host, path + '/', &response)) {
                response = Response();
                response.status = 301;
                response.headers.append({"Location", path + '/'});
            } else {
                response = Response();
                response.status = 404;
                response.body = "<html><body>Nicht gefunden</body></html>";
            }
        }
        const QByteArray key = host + ' ' + path;
        if (response.closeTimes > 0 && m_closed.value(key) < response.closeTimes) {
            ++m_closed[key];
            write(socket, "HTTP/1.1 200 OK\r\nContent-Type: " + response.contentType + "\r\nContent-Length: "
                              + QByteArray::number(response.body.size() + 100) + "\r\n\r\n" + response.body.left(10));
            socket->disconnectFromHost();
            return;
        }
        connection->busy = true;
        QPointer<QTcpSocket> guard(socket);
        auto send = [this, guard, connection, response, headOnly] {
            if (!guard)
                return;
            respond(guard, response, headOnly, [this, guard, connection] {
                connection->busy = false;
                if (guard)
                    next(guard, connection);
            });
        };
        if (response.delayMs > 0)
            QTimer::singleShot(response.delayMs, socket, send);
        else
            send();
    }

    bool find(const QByteArray &host, const QByteArray &path, Response *response) const
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_routes.constFind(host + ' ' + path);
        if (it == m_routes.constEnd())
            it = m_routes.constFind(' ' + path);
        if (it == m_routes.constEnd())
            return false;
        *response = *it;
        return true;
    }

    template<typename Done>
    void respond(QTcpSocket *socket, const Response &response, bool headOnly, Done done)
    {
        const qint64 length = response.streamBytes > 0 ? response.streamBytes : response.body.size();
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) + "\r\n";
        head += "Content-Type: " + response.contentType + "\r\n";
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        for (const auto &[name, value] : response.headers)
            head += name + ": " + value + "\r\n";
        head += "\r\n";
        write(socket, head);
        if (headOnly || length == 0) {
            done();
            return;
        }
        if (response.streamBytes <= 0) {
            write(socket, response.body);
            done();
            return;
        }
        // A large body goes out as the client takes it.
        auto left = std::make_shared<qint64>(response.streamBytes);
        auto chunk = std::make_shared<QByteArray>();
        while (chunk->size() < 64 * 1024)
            *chunk += response.body.isEmpty() ? QByteArray(1024, 'x') : response.body;
        auto context = std::make_shared<QMetaObject::Connection>();
        auto more = [this, socket, left, chunk, context, done] {
            if (socket->bytesToWrite() > 256 * 1024)
                return;
            const qint64 n = std::min<qint64>(*left, chunk->size());
            write(socket, chunk->left(n));
            *left -= n;
            if (*left == 0) {
                QObject::disconnect(*context);
                done();
            }
        };
        *context = QObject::connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }

    void write(QTcpSocket *socket, const QByteArray &bytes)
    {
        socket->write(bytes);
        m_bytesSent += bytes.size();
    }

    static QByteArray reason(int status)
    {
        switch (status) {
        case 200: return "OK";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 307: return "Temporary Redirect";
        case 308: return "Permanent Redirect";
        case 404: return "Not Found";
        default: return "Status";
        }
    }

    QHash<QByteArray, Response> m_routes;
    QHash<QByteArray, int> m_closed; // server thread only
    std::unique_ptr<QThread> m_thread;
    QObject *m_context = nullptr;
    quint16 m_port = 0;
    mutable QMutex m_mutex;
    QStringList m_requests;
    QStringList m_agents;
    std::atomic<qint64> m_bytesSent{0};
};
