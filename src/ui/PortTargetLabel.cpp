#include "ui/PortTargetLabel.h"

#include "config/ComPortTarget.h"
#include "config/SetupDialogModel.h"
#include "link/PortAddress.h"
#include "ui/Controls.h"
#include "ui/Theme.h"

#include <utility>

namespace corvantis {

using Controls::setTextColour;

namespace {

constexpr int kTargetWidth = 190;

} // namespace

PortTargetLabel::PortTargetLabel(std::string dataFolder, QWidget *parent)
    : QLabel(parent), m_dataFolder(std::move(dataFolder))
{
    setObjectName(QStringLiteral("lblComTarget"));
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(&m_addressProbe, &AddressProbe::finished, this,
            [this](bool answers, const QString &detail) {
                setText(
                    text().section(QStringLiteral("  ("), 0, 0) +
                    (answers ? QStringLiteral("  (answers)") : QStringLiteral("  (no answer)")));
                setTextColour(this, answers ? Theme::kFound : Theme::kError);
                setToolTip(detail);
            });
}

void PortTargetLabel::present(const SetupDialogModel &model, const QString &portName)
{
    m_addressProbe.cancel();
    if (model.UsesPortAddress()) {
        presentAddress(model.PortAddress());
        return;
    }
    const ComPortTarget target = ComPortTarget::Resolve(model.ComPortName(), m_dataFolder);
    if (target.device.empty()) {
        clear();
        setToolTip({});
        return;
    }
    const QString device = QString::fromStdString(target.device);
    const QString shown = fontMetrics().elidedText(device, Qt::ElideMiddle, kTargetWidth);
    setText(
        QStringLiteral("\u2192 %1  %2")
            .arg(shown, target.exists ? QStringLiteral("(found)") : QStringLiteral("(not found)")));
    setTextColour(this, target.exists ? Theme::kFound : Theme::kError);
    const QString via =
        target.throughLink ? QStringLiteral("%1 is the link %2, which leads to %3.")
                                 .arg(portName, QString::fromStdString(target.path), device)
                           : QStringLiteral("%1 is %2; a link \"com%3\" in the folder \"ports\" of "
                                            "the data folder would name another device.")
                                 .arg(portName, device)
                                 .arg(model.ComPortIndex() + 1);
    setToolTip(via + (target.exists ? QString() : QStringLiteral(" The device does not exist.")));
}

void PortTargetLabel::presentAddress(const std::string &text)
{
    QString refused;
    const auto address = PortAddress::Parse(QString::fromStdString(text), m_dataFolder, &refused);
    if (!address) {
        setText(text.empty() ? QString() : QStringLiteral("not an address"));
        setTextColour(this, Theme::kError);
        setToolTip(refused);
        return;
    }
    const QString target =
        address->isNetwork()
            ? QStringLiteral("%1 port %2, %3")
                  .arg(address->host)
                  .arg(address->port)
                  .arg(address->kind == PortAddress::Kind::Rfc2217 ? QStringLiteral("RFC 2217")
                                                                   : QStringLiteral("raw TCP"))
            : address->device;
    setText(QStringLiteral("\u2192 %1  (asking...)")
                .arg(fontMetrics().elidedText(target, Qt::ElideMiddle, kTargetWidth)));
    setToolTip({});
    m_addressProbe.probe(*address);
}

} // namespace corvantis
