#include "link/EdidTransfer.h"

#include "config/Settings.h"
#include "link/Framing.h"
#include "link/SerialLink.h"
#include "util/GeneralFunctions.h"
#include "util/Numbers.h"
#include "util/clsDebug.h"

#include <QFile>
#include <string>

namespace corvantis {

namespace {

constexpr int kMaxFrameAddress = 15;
constexpr int kWrittenBytes = EdidTransfer::kEdidSize;

// Under Type A the transfer goes to the COM port chosen in the setup dialog, even before the
// setup is accepted. The choice is only lent: afterwards the configured port is back, and open
// again if it was open before, so the router's own reports and the status polls keep arriving.
class PortLoan {
public:
    PortLoan(Settings &settings, SerialLink &link, const QString &portName)
        : m_settings(settings), m_link(link)
    {
        const std::string name = portName.toStdString();
        // A line named by an address (the configuration's or this run's) is the line; a COM
        // port name would change nothing but close it for the length of the transfer.
        const bool namedByAddress =
            !settings.CommPortAddress.empty() || !link.portOverride().isEmpty();
        if (settings.CommType != kTypeA || name.empty() || name == settings.CommPortName ||
            namedByAddress)
            return;
        m_saved = settings.CommPortName;
        m_lent = true;
        m_reopen = m_link.isOpen();
        settings.CommPortName = name;
        m_link.CloseCommPort();
    }
    ~PortLoan() { end(); }
    // Gives the configured port back; true when it is to be opened again.
    bool end()
    {
        if (!m_lent)
            return false;
        m_lent = false;
        m_settings.CommPortName = m_saved;
        m_link.CloseCommPort();
        return m_reopen;
    }
    PortLoan(const PortLoan &) = delete;
    PortLoan &operator=(const PortLoan &) = delete;

private:
    Settings &m_settings;
    SerialLink &m_link;
    std::string m_saved;
    bool m_lent = false;
    bool m_reopen = false;
};

// The log's indentation for the length of the transfer, undone on every way out.
class TransferIndent {
public:
    TransferIndent() { DebugLog().IndentIncr("SendCommand"); }
    ~TransferIndent() { DebugLog().IndentDec(); }
    TransferIndent(const TransferIndent &) = delete;
    TransferIndent &operator=(const TransferIndent &) = delete;
};

} // namespace

EdidTransfer::EdidTransfer(Settings &settings, SerialLink &link, QObject *parent)
    : QObject(parent), m_settings(settings), m_link(link)
{
}

QByteArray EdidTransfer::Header(int frameAddress)
{
    QByteArray header = QByteArrayLiteral("\xBE\xEF");
    header += static_cast<char>(frameAddress & 0xFF);
    header += '\x00';
    header += '\x01';
    return header;
}

QByteArray EdidTransfer::Block(const QByteArray &edid, int k)
{
    if (k < 0 || k >= kBlocks || edid.size() < kEdidSize)
        return {};
    QByteArray block = edid.mid(static_cast<qsizetype>(k) * kBlockSize, kBlockSize);
    block += static_cast<char>(XorChecksum(std::string_view(block.constData(), kBlockSize)));
    return block;
}

QString EdidTransfer::PercentText(int value, int total)
{
    if (total <= 0)
        return QStringLiteral("0%");
    const double percent = (static_cast<double>(value) + 1.0) * 100.0 / total;
    return QString::number(RoundToInt32(percent)) + QLatin1Char('%');
}

void EdidTransfer::Cancel()
{
    if (m_phase == Phase::Blocks)
        m_cancelRequested = true;
}

Task<bool> EdidTransfer::Run(int frameAddress, QString path, QString comPortName)
{
    if (m_running)
        co_return false;
    m_running = true;
    m_cancelRequested = false;
    m_progressValue = 0;
    m_progressMaximum = kBlocks;

    bool success = false;
    QByteArray edid;
    if (loadFile(path, edid)) {
        if (frameAddress < 0 || frameAddress > kMaxFrameAddress) {
            DebugLog().Log("EDID frame address out of range", {std::to_string(frameAddress)});
            failureState();
        } else {
            PortLoan loan(m_settings, m_link, comPortName);
            if (auto hold = m_link.HoldLine(); !hold) {
                // A command further down this thread's stack still waits for its reply.
                failureState();
            } else {
                {
                    const TransferIndent indent;
                    success = co_await transfer(*hold, frameAddress, edid);
                }
                hold.reset();
                m_phase = Phase::Idle;
                emit cancelEnabledChanged(true);
            }
            // A failure to open again shows on the error line as any other opening does.
            if (loan.end())
                co_await m_link.OpenCommPort();
        }
    }
    m_phase = Phase::Idle;
    m_running = false;
    emit finished(success);
    co_return success;
}

bool EdidTransfer::loadFile(const QString &path, QByteArray &edid)
{
    const std::int64_t length = FileLength(path.toStdString());
    if (length < 0) {
        emit statusChanged(QStringLiteral("File not found"), kRed);
        return false;
    }
    if (length != kEdidSize) {
        emit statusChanged(QStringLiteral("Bad EDID file!"), kRed);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        emit statusChanged(QStringLiteral("File not found"), kRed);
        return false;
    }
    // Read one byte more than needed: a file that grew since its length was taken is refused.
    edid = file.read(kEdidSize + 1);
    if (edid.size() != kEdidSize) {
        emit statusChanged(QStringLiteral("Bad EDID file!"), kRed);
        return false;
    }
    return true;
}

Task<bool> EdidTransfer::transfer(const LineHold &hold, int frameAddress, const QByteArray &edid)
{
    const bool open = co_await m_link.EnsureOpen(hold);
    if (!open) {
        emit statusChanged(QStringLiteral("Comm not open"), kRed);
        DebugLog().Log("Comm not open");
        co_return false;
    }

    m_phase = Phase::Blocks;
    // The exchange drops acknowledgements left over from an earlier transfer: they belong to
    // no block of this one. The blocks' own are counted across blocks.
    co_await m_link.Exchange(hold, Header(frameAddress), SerialLink::ReplyWait::none());
    for (int k = 0; k < kBlocks; ++k) {
        if (m_cancelRequested) {
            DebugLog().Log("EDID File Transfer Cancelled");
            failureState();
            co_return false;
        }
        m_link.setReplyReceived(false);
        m_link.DiscardInput();
        m_link.WriteRaw(Block(edid, k));
        const bool blockAcknowledged = co_await acknowledged();
        if (!blockAcknowledged)
            co_return false;
        progressStep(kBlocks);
    }

    // Acknowledgements that came in together with the last block's are the first bytes the
    // router wrote; they are kept for the writing phase rather than dropped.
    m_phase = Phase::Writing;
    emit cancelEnabledChanged(false);
    m_progressValue = 0;
    emit progressChanged(m_progressValue, m_progressMaximum, QStringLiteral("0%"));
    emit statusChanged(QStringLiteral("Writing EDID"), kDefaultColour);
    for (int i = 0; i < kWrittenBytes; ++i) {
        const bool byteAcknowledged = co_await acknowledged();
        if (!byteAcknowledged)
            co_return false;
        progressStep(kWrittenBytes);
    }
    emit statusChanged(QStringLiteral("Download Success!"), kGreen);
    emit okEnabledChanged(true);
    co_return true;
}

Task<bool> EdidTransfer::acknowledged()
{
    const bool acknowledged = co_await m_link.WaitForAck(kAckWait);
    if (acknowledged)
        co_return true;
    DebugLog().Log("EDID File Transfer Failed");
    failureState();
    co_return false;
}

void EdidTransfer::progressStep(int total)
{
    m_progressMaximum = total;
    const QString percent = PercentText(m_progressValue, total);
    ++m_progressValue;
    emit progressChanged(m_progressValue, m_progressMaximum, percent);
}

void EdidTransfer::failureState()
{
    emit statusChanged(QStringLiteral("Download Failed!"), kRed);
    emit okEnabledChanged(true);
}

} // namespace corvantis
