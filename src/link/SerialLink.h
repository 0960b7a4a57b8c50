#pragma once

#include "link/LinkTransport.h"
#include "link/PortAddress.h"
#include "link/SerialPortTransport.h"
#include "link/clsSemaphore.h"
#include "util/Task.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvantis {

struct Settings;
class SerialLink;

// A frame of the framing routines as the port writes it.
inline QByteArray toFrame(const std::string &bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Proof that its owner has the line to itself: CommBusy for its lifetime, released on every
// way out. Only SerialLink makes one, and only when the line is free.
class LineHold {
public:
    LineHold(LineHold &&other) noexcept : m_link(std::exchange(other.m_link, nullptr)) {}
    LineHold &operator=(LineHold &&) = delete;
    LineHold(const LineHold &) = delete;
    LineHold &operator=(const LineHold &) = delete;
    ~LineHold();

private:
    friend class SerialLink;
    explicit LineHold(SerialLink &link);
    SerialLink *m_link;
};

// The one serial line to the routers: opening the port on demand, the send-and-acknowledge
// routine every general command goes through, its waits and the error line. Every wait
// suspends the task that waits and returns to the event loop, which goes on serving everyone
// else; nothing ever waits inside a caller. CommBusy is the guard against overlapping
// conversations.
class SerialLink : public QObject {
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;

    // The fixed pauses of the protocol. Only tests that must fit many commands into little
    // time change them. The gap after every command is the configuration's (CommandGap).
    struct Timings {
        std::chrono::milliseconds noWait{50};       // after a command sent without waiting
        std::chrono::milliseconds resend{100};      // before each resend
        std::chrono::milliseconds statusReply{200}; // before reading a status reply
    };

    static constexpr int kTransmissions = 5;
    static constexpr int kReadBufferSize = SerialPortTransport::kReadBufferSize;
    static constexpr std::chrono::seconds kErrorLineTime{3};
    // How long the first bytes of a router's report wait for the rest (three byte times at
    // 9600 baud, and room for a busy machine) before they count as an answer.
    static constexpr std::chrono::milliseconds kReportRest{50};
    // A reply still arriving after an exchange's fixed wait is read until the line has been
    // quiet this long (a few byte times at 9600 baud, and a device server's grouping), for at
    // most the limit, so that a talking line cannot hold it for ever.
    static constexpr std::chrono::milliseconds kAnswerQuiet{20};
    static constexpr std::chrono::milliseconds kAnswerTailLimit{1000};

    // Result codes of SendCommand besides 6 (accepted) and 128 + n (address change).
    static constexpr int kNothingAccepted = 0;
    static constexpr int kPortUnavailable = -2;

    explicit SerialLink(const Settings &settings, QObject *parent = nullptr);
    ~SerialLink() override;

    // "COM3" gives 3; a name whose last character is not a digit 1 to 9 gives 0.
    static int PortNumber(const std::string &commPortName);
    // Where port n lives: the link "comN" in the ports folder of the data folder when it
    // exists, otherwise /dev/ttyS<n-1> (COMn on Windows).
    static QString PortDevicePath(int portNumber);

    // The text that names the line for this run: the override, else the configured address,
    // else the COM port; empty when there is no port.
    QString PortAddressText() const;
    // An address given for one run (the command line); empty returns to the configuration.
    void setPortOverride(const QString &address) { m_portOverride = address; }
    const QString &portOverride() const { return m_portOverride; }

    // True when opening failed and was reported. Connecting to a device server takes time;
    // a second call meanwhile waits for the same opening.
    Task<bool> OpenCommPort();
    void CloseCommPort();
    bool isOpen() const;

    // One general command: ends with the router's answer. The gap after it is kept by the
    // next exchange on the line, whoever makes it.
    Task<int> SendCommand(int frameAddress, int code, int p3, int p4, bool waitReply);

    // The line for one conversation with the routers; empty while another holds it.
    std::optional<LineHold> HoldLine();

    // How an exchange waits for its answer.
    struct ReplyWait {
        enum class Kind { None, Fixed } kind = Kind::None;
        std::chrono::milliseconds fixed{0};
        // A text answer: its bytes may spell a router's report ("U" and CR LF), so none is
        // taken out of it.
        bool text = false;
        static ReplyWait none() { return {}; }
        static ReplyWait fixedDelay(std::chrono::milliseconds d) { return {Kind::Fixed, d}; }
        static ReplyWait textAfter(std::chrono::milliseconds d) { return {Kind::Fixed, d, true}; }
    };
    struct ExchangeResult {
        bool sent = false;
        QByteArray reply;
    };
    // One exchange on a held line: the gap after the last command kept, the acknowledgement
    // counter reset, stale input dropped, the frame written, the wait, and what came back
    // read. Nothing is sent on a closed port or for an empty frame.
    Task<ExchangeResult> Exchange(const LineHold &hold, const QByteArray &frame, ReplyWait wait);
    // Opens the port when it is closed; true when it is open afterwards. A port that cannot
    // be opened is on the error line then, whatever the time-out.
    Task<bool> EnsureOpen(const LineHold &hold);

    // Awaitable: resumes the awaiting task once done() holds or the deadline has passed.
    // Input from the routers, the port opening or closing, and the deadline wake it.
    class Until {
    public:
        Until(SerialLink &link, Clock::time_point deadline, std::function<bool()> done);
        ~Until();
        Until(const Until &) = delete;
        Until &operator=(const Until &) = delete;
        bool await_ready() const;
        void await_suspend(std::coroutine_handle<> handle);
        void await_resume() const {}

    private:
        friend class SerialLink;
        bool due(Clock::time_point now) const;
        SerialLink &m_link;
        Clock::time_point m_deadline;
        std::function<bool()> m_done;
        std::coroutine_handle<> m_handle;
    };

    Task<void> Delay(std::chrono::milliseconds duration);
    // Transmits the frame again until a reply arrives, at most kTransmissions times in all.
    Task<void> WaitForReply(const QByteArray &frame, int frameAddress = -1);
    // The acknowledgement wait of the EDID transfer: up to n x RouterTimeout for an ACK;
    // every ACK that arrived is counted, one is consumed.
    Task<bool> WaitForAck(int n);

    // Raw access for the timer's polls, the maintenance requests and the EDID transfer.
    // Writing to a closed port sends nothing and returns false.
    bool WriteRaw(const QByteArray &bytes);
    // Everything received so far, without the routers' own reports (routerReported tells of
    // those) and without a report's first bytes that are still arriving.
    QByteArray ReadInput();
    // Drops everything received, including what the driver holds, but a report still arriving.
    void DiscardInput();
    // Bytes received and not read yet.
    qint64 bytesAvailable() const;

    bool CommBusy() const { return m_commBusy; }
    bool CommOK() const { return m_commOk; }
    void setCommOK(bool ok) { m_commOk = ok; }
    bool ReplyReceived() const { return m_replyReceived; }
    void setReplyReceived(bool received) { m_replyReceived = received; }
    clsSemaphore &semaphore() { return m_semaphore; }

    // The raw reply of the last Type B status request, waiting to be applied.
    const QByteArray &StatusBuffer() const { return m_statusBuffer; }
    QByteArray TakeStatusBuffer();
    void setStatusBuffer(const QByteArray &buffer) { m_statusBuffer = buffer; }

    // The error line: one message at a time, each shown for three seconds.
    void SetErrMsg(const QString &text);
    // Clears the line once its time is up; the timer calls it on every tick.
    void ExpireErrMsg(Clock::time_point now = Clock::now());
    const QString &errorMessage() const { return m_errorMessage; }
    std::optional<Clock::time_point> errorExpiry() const { return m_errorExpiry; }

    const Settings &settings() const { return m_settings; }
    const Timings &timings() const { return m_timings; }
    void setTimings(const Timings &timings) { m_timings = timings; }
    // The pause after every command, as the settings give it.
    std::chrono::milliseconds commandGap() const;
    // Frames transmitted since the link was made, resends included.
    quint64 transmissions() const { return m_transmissions; }

signals:
    void errorMessageChanged(const QString &text);
    // Under Type B a route frame was built; the alive poll is postponed.
    void routeFrameBuilt();
    // A Type A status request went out; the routing engine applies the status at once.
    void statusUpdateRequested();
    void frameTransmitted(const QByteArray &frame);
    void portOpenChanged(bool open);
    // The device went away while the port was open; the port is closed now.
    void portLost();
    // A hold ended: whatever waited for the line may go now.
    void lineFree();
    // What the router at a frame address did with a command that awaited its reply: answered,
    // or stayed silent through every transmission. Resends are counted as they go out.
    void routerAnswered(int frameAddress);
    void routerUnanswered(int frameAddress);
    void commandResent(int frameAddress);
    // A router reported a change of its own (a front-panel "U" report naming a grid cell),
    // taken out of whatever it arrived in.
    void routerReported(int cell);

private:
    friend class LineHold;
    void release();
    void onReadyRead();
    // Moves what arrived into the input, taking the routers' reports out as it goes.
    void takeIn();
    bool answerArrived() const { return m_settled > 0; }
    void onErrorOccurred(int event, const QString &text);
    bool transmit(const QByteArray &frame);
    std::chrono::milliseconds routerTimeout() const;
    Task<int> sendSteps(const LineHold &hold, int frameAddress, int code, int p3, int p4,
                        bool waitReply);
    // Resumes every parked task whose wait is over, then sets the timer for the next deadline.
    void wakeDue();
    // Sets the timer for the earliest deadline of the parked waits.
    void rearm();
    void park(Until *wait);
    void unpark(Until *wait);
    // The line's "is unavailable" message, naming the port as the operator knows it.
    QString unavailableText(const QString &reason) const;
    void reportUnavailable(const QString &text);

    const Settings &m_settings;
    std::unique_ptr<LinkTransport> m_transport;
    std::optional<PortAddress> m_address;
    QString m_portOverride;
    Timings m_timings;
    clsSemaphore m_semaphore;
    QByteArray m_statusBuffer;
    // Received and not read; its first m_settled bytes are answers, the rest may be a report
    // still arriving (for at most kReportRest).
    QByteArray m_input;
    qsizetype m_settled = 0;
    QTimer m_reportRestTimer;
    bool m_reportsInAnswers = true;
    // The frame of the command that waits for its answer; empty when none waits.
    QByteArray m_awaitedFrame;
    // Nothing goes out before this: the gap after the last command.
    Clock::time_point m_quietUntil{};
    QString m_errorMessage;
    std::optional<Clock::time_point> m_errorExpiry;
    quint64 m_transmissions = 0;
    std::vector<Until *> m_parked;
    QTimer m_wakeTimer;
    bool m_waking = false;
    bool m_wakeAgain = false;
    bool m_opening = false;
    bool m_commBusy = false;
    bool m_commOk = false;
    bool m_replyReceived = false;
};

} // namespace corvantis
