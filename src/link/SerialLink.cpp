#include "link/SerialLink.h"

#include "config/ComPortTarget.h"
#include "config/Settings.h"
#include "link/Framing.h"
#include "link/PortOpenFailure.h"
#include "link/ReceiveHandling.h"
#include "link/TcpTransport.h"
#include "util/GeneralFunctions.h"
#include "util/clsDebug.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>
#include <exception>

namespace corvantis {

namespace {

constexpr const char *kSendCommandLabel = "SendCommand";
constexpr int kReceiveEvent = 2;
// A transport bounds its own connecting; this only keeps a transport that never says it has
// finished from holding the line for ever.
constexpr std::chrono::seconds kOpeningLimit{10};

// The debug log's indentation for one command, undone on every way out, also when the command
// is abandoned at a wait.
class CommandIndent {
public:
    CommandIndent() { DebugLog().IndentIncr(kSendCommandLabel); }
    ~CommandIndent() { DebugLog().IndentDec(); }
    CommandIndent(const CommandIndent &) = delete;
    CommandIndent &operator=(const CommandIndent &) = delete;
};

} // namespace

SerialLink::SerialLink(const Settings &settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    m_wakeTimer.setTimerType(Qt::PreciseTimer);
    m_wakeTimer.setSingleShot(true);
    connect(&m_wakeTimer, &QTimer::timeout, this, &SerialLink::wakeDue);
    connect(this, &SerialLink::portOpenChanged, this, &SerialLink::wakeDue);
    m_reportRestTimer.setSingleShot(true);
    m_reportRestTimer.setInterval(kReportRest);
    connect(&m_reportRestTimer, &QTimer::timeout, this, [this] {
        // The rest never came: those bytes were an answer after all.
        m_settled = m_input.size();
        wakeDue();
    });
}

SerialLink::~SerialLink()
{
    // No task may resume into a link that is going away; their owners end them first.
    m_wakeTimer.stop();
    disconnect(this, &SerialLink::portOpenChanged, this, &SerialLink::wakeDue);
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
    return m_transport && m_transport->isOpen();
}

QString SerialLink::PortAddressText() const
{
    if (!m_portOverride.isEmpty())
        return m_portOverride;
    if (!m_settings.CommPortAddress.empty())
        return QString::fromStdString(m_settings.CommPortAddress);
    const int portNumber = PortNumber(m_settings.CommPortName);
    return portNumber == 0 ? QString() : QStringLiteral("COM%1").arg(portNumber);
}

namespace {

std::unique_ptr<LinkTransport> makeTransport(const PortAddress &address)
{
    switch (address.kind) {
    case PortAddress::Kind::Tcp:
    case PortAddress::Kind::Rfc2217:
        return std::make_unique<TcpTransport>(address.host, address.port,
                                              address.kind == PortAddress::Kind::Rfc2217);
    case PortAddress::Kind::Device:
        break;
    }
    return std::make_unique<SerialPortTransport>(address.device);
}

} // namespace

Task<bool> SerialLink::OpenCommPort()
{
    const QString text = PortAddressText();
    if (text.isEmpty())
        co_return false;
    // Connecting to a device server takes time; a second opening must not replace the
    // transport under the first.
    if (m_opening) {
        co_await Until(*this, Clock::now() + kOpeningLimit, [this] { return !m_opening; });
        co_return !isOpen();
    }
    const QScopedValueRollback opening(m_opening, true);
    CloseCommPort();
    QString refused;
    m_address = PortAddress::Parse(text, ProgramDataFolder(), &refused);
    if (!m_address) {
        DebugLog().Log(refused.toStdString());
        if (m_settings.RouterTimeout == 0.0f)
            co_return false;
        reportUnavailable(refused);
        co_return true;
    }
    if (m_transport) {
        // Its signal may still be on the stack below us.
        m_transport->disconnect(this);
        m_transport.release()->deleteLater();
    }
    m_transport = makeTransport(*m_address);
    connect(m_transport.get(), &LinkTransport::readyRead, this, &SerialLink::onReadyRead);
    connect(m_transport.get(), &LinkTransport::errorOccurred, this, &SerialLink::onErrorOccurred);
    connect(m_transport.get(), &LinkTransport::openFinished, this, &SerialLink::wakeDue);
    LinkTransport *transport = m_transport.get();
    if (transport->open()) {
        co_await Until(*this, Clock::now() + kOpeningLimit,
                       [transport] { return !transport->isOpening(); });
        if (transport->isOpening())
            transport->close();
    }
    if (transport->isOpen()) {
        emit portOpenChanged(true);
        co_return false;
    }
    DebugLog().Log("Comm Event", {transport->errorString().toStdString()});
    if (m_settings.RouterTimeout == 0.0f)
        co_return false;
    reportUnavailable(unavailableText(transport->errorString()));
    co_return true;
}

void SerialLink::CloseCommPort()
{
    if (!isOpen())
        return;
    m_transport->close();
    m_input.clear();
    m_settled = 0;
    m_reportRestTimer.stop();
    emit portOpenChanged(false);
}

QString SerialLink::unavailableText(const QString &reason) const
{
    const QString name = m_address ? m_address->text : PortAddressText();
    if (m_address && m_address->isNetwork() && !reason.isEmpty())
        return QStringLiteral("Port %1 is unavailable (%2)").arg(name, reason);
    QString text = m_address && m_address->comNumber > 0
                       ? QStringLiteral("Comm Port %1 is unavailable").arg(m_address->comNumber)
                       : QStringLiteral("Port %1 is unavailable").arg(name);
    if (m_address && !m_address->isNetwork()) {
        // Why, and what to do: a missing device, a permission, another program.
        std::string device = m_address->device.toStdString();
        std::string link;
        if (m_address->comNumber > 0) {
            const std::string folder = ProgramDataFolder();
            const auto target =
                ComPortTarget::Resolve("COM" + std::to_string(m_address->comNumber), folder);
            device = target.device;
            link = folder + "ports/com" + std::to_string(m_address->comNumber);
        }
        const std::string why = PortOpenFailure::Probe(device, link).Explain();
        if (!why.empty())
            text += QStringLiteral(": ") + QString::fromStdString(why);
    }
    return text;
}

void SerialLink::reportUnavailable(const QString &text)
{
    SetErrMsg(text);
    DebugLog().Log(text.toStdString());
}

void SerialLink::onReadyRead()
{
    m_replyReceived = true;
    DebugLog().Log("Comm Event", {std::to_string(kReceiveEvent)});
    takeIn();
    wakeDue();
}

void SerialLink::takeIn()
{
    if (!isOpen())
        return;
    const QByteArray fresh = m_transport->readAll();
    if (fresh.isEmpty())
        return;
    m_input += fresh;
    if (!m_reportsInAnswers) {
        m_settled = m_input.size();
        return;
    }
    const SeparatedInput found = SeparateRemoteReports(
        std::string_view(m_input.constData() + m_settled, std::size_t(m_input.size() - m_settled)));
    m_input.truncate(m_settled);
    m_input.append(found.answer.data(), qsizetype(found.answer.size()));
    m_settled = m_input.size() - qsizetype(found.tail);
    // The answer a command waits for may look like the start of a report (a Type B checksum
    // of "U"): it is the answer.
    if (found.tail > 0 && m_settled == 0 && !m_awaitedFrame.isEmpty() &&
        IsValidReply(
            m_settings.CommType, found.answer,
            std::string_view(m_awaitedFrame.constData(), std::size_t(m_awaitedFrame.size()))))
        m_settled = m_input.size();
    if (m_settled < m_input.size())
        m_reportRestTimer.start();
    else
        m_reportRestTimer.stop();
    for (const int cell : found.cells)
        emit routerReported(cell);
}

void SerialLink::onErrorOccurred(int event, const QString &text)
{
    DebugLog().Log("Comm Event", {std::to_string(event)});
    DebugLog().Log("Comm Error", {text.toStdString()});
    // A line that went away stays closed (a lost local port would otherwise report errors as
    // fast as the loop turns); the next command reopens on demand.
    if (!isOpen())
        return;
    CloseCommPort();
    reportUnavailable(unavailableText(text));
    emit portLost();
}

bool SerialLink::transmit(const QByteArray &frame)
{
    if (!isOpen() || frame.isEmpty())
        return false;
    if (!m_transport->write(frame))
        return false;
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
    takeIn();
    const QByteArray answer = m_input.left(m_settled);
    m_input.remove(0, m_settled);
    m_settled = 0;
    return answer;
}

qint64 SerialLink::bytesAvailable() const
{
    return m_input.size() + (isOpen() ? m_transport->bytesAvailable() : 0);
}

void SerialLink::DiscardInput()
{
    if (!isOpen())
        return;
    takeIn();
    m_input.remove(0, m_settled);
    m_settled = 0;
    m_transport->clearInput();
}

QByteArray SerialLink::TakeStatusBuffer()
{
    QByteArray buffer;
    buffer.swap(m_statusBuffer);
    return buffer;
}

namespace {

std::chrono::milliseconds fromSeconds(float seconds)
{
    if (!(seconds > 0.0f))
        return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(std::lround(static_cast<double>(seconds) * 1000.0));
}

} // namespace

std::chrono::milliseconds SerialLink::routerTimeout() const
{
    return fromSeconds(m_settings.RouterTimeout);
}

std::chrono::milliseconds SerialLink::commandGap() const
{
    return fromSeconds(m_settings.CommandGap);
}

SerialLink::Until::Until(SerialLink &link, Clock::time_point deadline, std::function<bool()> done)
    : m_link(link), m_deadline(deadline), m_done(std::move(done))
{
}

SerialLink::Until::~Until()
{
    // An abandoned task leaves its wait here.
    if (m_handle)
        m_link.unpark(this);
}

bool SerialLink::Until::due(Clock::time_point now) const
{
    return m_done() || now >= m_deadline;
}

bool SerialLink::Until::await_ready() const
{
    return due(Clock::now());
}

void SerialLink::Until::await_suspend(std::coroutine_handle<> handle)
{
    m_handle = handle;
    m_link.park(this);
}

void SerialLink::park(Until *wait)
{
    m_parked.push_back(wait);
    rearm();
}

void SerialLink::unpark(Until *wait)
{
    std::erase(m_parked, wait);
    wait->m_handle = {};
}

void SerialLink::wakeDue()
{
    // A task resumed here may start or end other waits; the outer call looks again.
    if (m_waking) {
        m_wakeAgain = true;
        return;
    }
    const QScopedValueRollback waking(m_waking, true);
    do {
        m_wakeAgain = false;
        const auto now = Clock::now();
        const auto due = std::find_if(m_parked.begin(), m_parked.end(),
                                      [now](const Until *wait) { return wait->due(now); });
        if (due == m_parked.end())
            break;
        Until *wait = *due;
        const std::coroutine_handle<> handle = wait->m_handle;
        unpark(wait);
        handle.resume();
        m_wakeAgain = true;
    } while (m_wakeAgain);
    rearm();
}

void SerialLink::rearm()
{
    if (m_parked.empty()) {
        m_wakeTimer.stop();
        return;
    }
    const auto next =
        std::min_element(m_parked.begin(), m_parked.end(), [](const Until *a, const Until *b) {
            return a->m_deadline < b->m_deadline;
        });
    m_wakeTimer.start(
        std::max(std::chrono::milliseconds(0),
                 std::chrono::ceil<std::chrono::milliseconds>((*next)->m_deadline - Clock::now())));
}

Task<void> SerialLink::Delay(std::chrono::milliseconds duration)
{
    co_await Until(*this, Clock::now() + duration, [] { return false; });
}

Task<void> SerialLink::WaitForReply(const QByteArray &frame, int frameAddress)
{
    const auto timeout = routerTimeout();
    // A router's report arriving meanwhile answers nothing: the wait goes on.
    const auto answered = [this] { return answerArrived() || !isOpen(); };
    co_await Until(*this, Clock::now() + timeout, answered);
    for (int sent = 1; sent < kTransmissions && !answered(); ++sent) {
        co_await Delay(m_timings.resend);
        if (transmit(frame) && frameAddress >= 0)
            emit commandResent(frameAddress);
        co_await Until(*this, Clock::now() + timeout, answered);
    }
}

Task<bool> SerialLink::WaitForAck(int n)
{
    const auto deadline = Clock::now() + std::max(n, 0) * routerTimeout();
    co_await Until(*this, deadline,
                   [this] { return m_semaphore.Count() != 0 || answerArrived() || !isOpen(); });
    const QByteArray data = ReadInput();
    for (int i = CountAcks(std::string_view(data.constData(), data.size())); i > 0; --i)
        m_semaphore.Up();
    if (!m_semaphore.Down())
        co_return false;
    m_replyReceived = false;
    co_return true;
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

Task<bool> SerialLink::EnsureOpen(const LineHold &)
{
    if (isOpen())
        co_return true;
    const bool reported = co_await OpenCommPort();
    if (!reported && !isOpen()) {
        // Opening said nothing (no port chosen, or a line that is not waited on), but nothing
        // can be sent: the operator must hear of it.
        if (PortAddressText().isEmpty())
            SetErrMsg(QStringLiteral("No Comm Port is set up"));
        else
            reportUnavailable(
                unavailableText(m_transport ? m_transport->errorString() : QString()));
    }
    co_return isOpen();
}

Task<SerialLink::ExchangeResult> SerialLink::Exchange(const LineHold &, const QByteArray &frame,
                                                      ReplyWait wait)
{
    ExchangeResult result;
    if (Clock::now() < m_quietUntil)
        co_await Until(*this, m_quietUntil, [] { return false; });
    m_semaphore.Reset();
    DiscardInput();
    m_replyReceived = false;
    const QScopedValueRollback reports(m_reportsInAnswers, !wait.text);
    result.sent = transmit(frame);
    if (!result.sent)
        co_return result;
    switch (wait.kind) {
    case ReplyWait::Kind::None:
        co_return result;
    case ReplyWait::Kind::Fixed:
        co_await Delay(wait.fixed);
        break;
    }
    result.reply = ReadInput();
    // A reply longer than the wait (the status of many outputs at 9600 baud) is read to its
    // end: its rest would otherwise be taken for the answer to the next command.
    const auto limit = Clock::now() + kAnswerTailLimit;
    while (!result.reply.isEmpty() && Clock::now() < limit) {
        co_await Until(*this, Clock::now() + kAnswerQuiet,
                       [this] { return answerArrived() || !isOpen(); });
        const QByteArray more = ReadInput();
        if (more.isEmpty())
            break;
        result.reply += more;
    }
    co_return result;
}

Task<int> SerialLink::SendCommand(int frameAddress, int code, int p3, int p4, bool waitReply)
{
    auto hold = HoldLine();
    if (!hold)
        co_return kNothingAccepted;
    int result = kNothingAccepted;
    {
        const CommandIndent indent;
        try {
            result = co_await sendSteps(*hold, frameAddress, code, p3, p4, waitReply);
        } catch (const std::exception &error) {
            const QString text =
                QStringLiteral("Send Command Error: ") + QString::fromUtf8(error.what());
            SetErrMsg(text);
            DebugLog().Log(text.toStdString());
        }
    }
    // The answer is news now; the gap only keeps the next frame back.
    m_quietUntil = Clock::now() + commandGap();
    co_return result;
}

Task<int> SerialLink::sendSteps(const LineHold &hold, int frameAddress, int code, int p3, int p4,
                                bool waitReply)
{
    const int commType = m_settings.CommType;
    const bool open = co_await EnsureOpen(hold);
    if (!open) {
        DebugLog().Log("Comm not open");
        co_return kPortUnavailable;
    }

    m_replyReceived = false;
    const QByteArray frame = toFrame(BuildFrame(commType, frameAddress, code, p3, p4));
    if (commType == kTypeB && code == CmdRoute)
        emit routeFrameBuilt();
    if (frame.isEmpty()) {
        // A framing the line does not know, or a command it cannot carry: nothing is sent.
        DebugLog().Log("No frame for comm type", {std::to_string(commType)});
        SetErrMsg(QStringLiteral("Comm Type %1 cannot send this command").arg(commType));
        co_return kNothingAccepted;
    }

    if (commType == kTypeB && code == CmdStatus) {
        const auto exchange =
            co_await Exchange(hold, frame, ReplyWait::fixedDelay(m_timings.statusReply));
        m_statusBuffer = exchange.reply;
        co_return kNothingAccepted;
    }

    const ExchangeResult sent = co_await Exchange(hold, frame, ReplyWait::none());
    if (!sent.sent)
        co_return kPortUnavailable;
    if (code == CmdStatus)
        emit statusUpdateRequested();
    if (!waitReply) {
        co_await Delay(m_timings.noWait);
        // Counted as accepted, so a line without replies still shows what was routed.
        m_commOk = true;
        co_return kAck;
    }
    {
        const QScopedValueRollback awaited(m_awaitedFrame, frame);
        co_await WaitForReply(frame, frameAddress);
    }
    if (!isOpen()) {
        // The device went away during the wait; the line already says so.
        if (commType == kTypeB)
            m_commOk = false;
        co_return kPortUnavailable;
    }
    const QByteArray reply = ReadInput();
    const ReplyVerdict verdict =
        JudgeReply(commType, code, std::string_view(reply.constData(), reply.size()),
                   std::string_view(frame.constData(), frame.size()));
    if (verdict.commOk)
        m_commOk = *verdict.commOk;
    if (verdict.noReply) {
        SetErrMsg(QStringLiteral("No reply from the router"));
        emit routerUnanswered(frameAddress);
    } else {
        emit routerAnswered(frameAddress);
    }
    co_return verdict.result;
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
