#include "link/SerialLink.h"

#include "config/ComPortTarget.h"
#include "config/Settings.h"
#include "link/Framing.h"
#include "link/ReceiveHandling.h"
#include "util/GeneralFunctions.h"
#include "util/clsDebug.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>
#include <cmath>
#include <exception>

namespace corvantis {

namespace {

constexpr const char *kSendCommandLabel = "SendCommand";
constexpr int kReceiveEvent = 2;

} // namespace

SerialLink::SerialLink(const Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_port(new QSerialPort(this))
{
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setReadBufferSize(kReadBufferSize);
    connect(m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onErrorOccurred(error); });
}

SerialLink::~SerialLink()
{
    CloseCommPort();
}

int SerialLink::PortNumber(const std::string &commPortName)
{
    if (commPortName.empty())
        return 0;
    const char last = commPortName.back();
    return last >= '1' && last <= '9' ? last - '0' : 0;
}

QString SerialLink::PortDevicePath(int portNumber)
{
    // The setup dialog shows the same answer, so the rule lives in one place.
    const auto target =
        ComPortTarget::Resolve("COM" + std::to_string(portNumber), ProgramDataFolder());
    return QString::fromStdString(target.path);
}

bool SerialLink::isOpen() const
{
    return m_port->isOpen();
}

bool SerialLink::OpenCommPort()
{
    const int portNumber = PortNumber(m_settings.CommPortName);
    if (portNumber == 0)
        return false;
    CloseCommPort();
    m_portNumber = portNumber;
    m_port->setPortName(PortDevicePath(portNumber));
    if (m_port->open(QIODevice::ReadWrite)) {
        emit portOpenChanged(true);
        return false;
    }
    if (m_settings.RouterTimeout == 0.0f)
        return false;
    reportUnavailable(portNumber);
    return true;
}

void SerialLink::CloseCommPort()
{
    if (!m_port->isOpen())
        return;
    m_port->close();
    emit portOpenChanged(false);
}

void SerialLink::reportUnavailable(int portNumber)
{
    const QString text = QStringLiteral("Comm Port %1 is unavailable").arg(portNumber);
    SetErrMsg(text);
    DebugLog().Log(text.toStdString());
}

void SerialLink::onReadyRead()
{
    m_replyReceived = true;
    DebugLog().Log("Comm Event", {std::to_string(kReceiveEvent)});
}

void SerialLink::onErrorOccurred(int error)
{
    if (error == QSerialPort::NoError)
        return;
    DebugLog().Log("Comm Event", {std::to_string(error)});
    DebugLog().Log("Comm Error", {m_port->errorString().toStdString()});
    // A device that went away keeps reporting read errors as fast as the loop turns while the
    // port stays open; closing stops that, and the next command reopens on demand.
    if ((error == QSerialPort::ReadError || error == QSerialPort::ResourceError) &&
        m_port->isOpen()) {
        CloseCommPort();
        reportUnavailable(m_portNumber);
        emit portLost();
    }
}

bool SerialLink::transmit(const QByteArray &frame)
{
    if (!m_port->isOpen() || frame.isEmpty())
        return false;
    if (m_port->write(frame) != frame.size())
        return false;
    m_port->flush();
    ++m_transmissions;
    emit frameTransmitted(frame);
    return true;
}

bool SerialLink::WriteRaw(const QByteArray &bytes)
{
    return transmit(bytes);
}

QByteArray SerialLink::ReadInput()
{
    return m_port->isOpen() ? m_port->readAll() : QByteArray();
}

qint64 SerialLink::bytesAvailable() const
{
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

void SerialLink::DiscardInput()
{
    if (!m_port->isOpen())
        return;
    m_port->readAll();
    m_port->clear(QSerialPort::Input);
}

QByteArray SerialLink::TakeStatusBuffer()
{
    QByteArray buffer;
    buffer.swap(m_statusBuffer);
    return buffer;
}

std::chrono::milliseconds SerialLink::routerTimeout() const
{
    const float seconds = m_settings.RouterTimeout;
    if (!(seconds > 0.0f))
        return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(std::lround(static_cast<double>(seconds) * 1000.0));
}

template <typename Condition> void SerialLink::waitUntil(Clock::time_point deadline, Condition done)
{
    while (!done()) {
        const auto now = Clock::now();
        if (now > deadline)
            return;
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(m_port, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
        connect(this, &SerialLink::portOpenChanged, &loop, &QEventLoop::quit);
        timer.start(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
        loop.exec();
    }
}

void SerialLink::Delay(std::chrono::milliseconds duration)
{
    if (duration <= std::chrono::milliseconds(0)) {
        QCoreApplication::processEvents();
        return;
    }
    waitUntil(Clock::now() + duration, [] { return false; });
}

void SerialLink::Delay(double seconds)
{
    Delay(std::chrono::milliseconds(std::lround(seconds * 1000.0)));
}

bool SerialLink::WaitClearToSend()
{
    if (!m_commBusy)
        return true;
    DebugLog().Log("Waiting until clear to send");
    return false;
}

void SerialLink::WaitForReply(const QByteArray &frame)
{
    const auto timeout = routerTimeout();
    const auto answered = [this] { return m_replyReceived || !m_port->isOpen(); };
    waitUntil(Clock::now() + timeout, answered);
    for (int sent = 1; sent < kTransmissions && !answered(); ++sent) {
        Delay(m_timings.resend);
        transmit(frame);
        waitUntil(Clock::now() + timeout, answered);
    }
}

bool SerialLink::WaitForAck(int n)
{
    const auto deadline = Clock::now() + std::max(n, 0) * routerTimeout();
    waitUntil(deadline,
              [this] { return m_semaphore.Count() != 0 || m_replyReceived || !m_port->isOpen(); });
    const QByteArray data = ReadInput();
    for (int i = CountAcks(std::string_view(data.constData(), data.size())); i > 0; --i)
        m_semaphore.Up();
    if (!m_semaphore.Down())
        return false;
    m_replyReceived = false;
    return true;
}

LineHold::LineHold(SerialLink &link) : m_link(&link)
{
    m_link->m_commBusy = true;
}

LineHold::~LineHold()
{
    if (m_link)
        m_link->release();
}

void SerialLink::release()
{
    m_commBusy = false;
    emit lineFree();
}

std::optional<LineHold> SerialLink::HoldLine()
{
    if (m_commBusy) {
        DebugLog().Log("Someone didn't wait until the current command was sent");
        return std::nullopt;
    }
    return LineHold(*this);
}

bool SerialLink::EnsureOpen(const LineHold &)
{
    if (m_port->isOpen())
        return true;
    if (!OpenCommPort() && !m_port->isOpen()) {
        // Opening said nothing (no port chosen, or a line that is not waited on), but nothing
        // can be sent: the operator must hear of it.
        const int portNumber = PortNumber(m_settings.CommPortName);
        if (portNumber == 0)
            SetErrMsg(QStringLiteral("No Comm Port is set up"));
        else
            reportUnavailable(portNumber);
    }
    return m_port->isOpen();
}

SerialLink::ExchangeResult SerialLink::Exchange(const LineHold &, const QByteArray &frame,
                                                ReplyWait wait)
{
    ExchangeResult result;
    m_semaphore.Reset();
    DiscardInput();
    m_replyReceived = false;
    result.sent = transmit(frame);
    if (!result.sent)
        return result;
    switch (wait.kind) {
    case ReplyWait::Kind::None:
        return result;
    case ReplyWait::Kind::Fixed:
        Delay(wait.fixed);
        break;
    }
    result.reply = ReadInput();
    return result;
}

int SerialLink::SendCommand(int frameAddress, int code, int p3, int p4, bool waitReply)
{
    auto hold = HoldLine();
    if (!hold)
        return kNothingAccepted;
    DebugLog().IndentIncr(kSendCommandLabel);
    int result = kNothingAccepted;
    try {
        result = sendSteps(*hold, frameAddress, code, p3, p4, waitReply);
    } catch (const std::exception &error) {
        const QString text =
            QStringLiteral("Send Command Error: ") + QString::fromUtf8(error.what());
        SetErrMsg(text);
        DebugLog().Log(text.toStdString());
    }
    DebugLog().IndentDec();
    hold.reset();
    Delay(m_timings.closing);
    return result;
}

int SerialLink::sendSteps(const LineHold &hold, int frameAddress, int code, int p3, int p4,
                          bool waitReply)
{
    const int commType = m_settings.CommType;
    if (!EnsureOpen(hold)) {
        DebugLog().Log("Comm not open");
        return kPortUnavailable;
    }

    m_replyReceived = false;
    const QByteArray frame = toFrame(BuildFrame(commType, frameAddress, code, p3, p4));
    if (commType == kTypeB && code == CmdRoute)
        emit routeFrameBuilt();
    if (frame.isEmpty()) {
        // A framing the line does not know, or a command it cannot carry: nothing is sent.
        DebugLog().Log("No frame for comm type", {std::to_string(commType)});
        SetErrMsg(QStringLiteral("Comm Type %1 cannot send this command").arg(commType));
        return kNothingAccepted;
    }

    if (commType == kTypeB && code == CmdStatus) {
        const auto exchange = Exchange(hold, frame, ReplyWait::fixedDelay(m_timings.statusReply));
        m_statusBuffer = exchange.reply;
        return kNothingAccepted;
    }

    if (!Exchange(hold, frame, ReplyWait::none()).sent)
        return kPortUnavailable;
    if (code == CmdStatus)
        emit statusUpdateRequested();
    if (!waitReply) {
        Delay(m_timings.noWait);
        // Counted as accepted, so a line without replies still shows what was routed.
        m_commOk = true;
        return kAck;
    }
    WaitForReply(frame);
    if (!m_port->isOpen()) {
        // The device went away during the wait; the line already says so.
        if (commType == kTypeB)
            m_commOk = false;
        return kPortUnavailable;
    }
    const QByteArray reply = ReadInput();
    const ReplyVerdict verdict =
        JudgeReply(commType, code, std::string_view(reply.constData(), reply.size()),
                   std::string_view(frame.constData(), frame.size()));
    if (verdict.commOk)
        m_commOk = *verdict.commOk;
    if (verdict.noReply)
        SetErrMsg(QStringLiteral("No reply from the router"));
    return verdict.result;
}

void SerialLink::SetErrMsg(const QString &text)
{
    m_errorMessage = text;
    m_errorExpiry = Clock::now() + kErrorLineTime;
    emit errorMessageChanged(text);
}

void SerialLink::ExpireErrMsg(Clock::time_point now)
{
    if (!m_errorExpiry || now <= *m_errorExpiry)
        return;
    m_errorExpiry.reset();
    m_errorMessage.clear();
    emit errorMessageChanged(m_errorMessage);
}

} // namespace corvantis
