#include "ui/frmControlPanels.h"

#include "ui/DialogLook.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvantis {

frmControlPanels::frmControlPanels(const QList<PanelListening *> &servers,
                                   const WebListening::Choice &web, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmControlPanels"));
    setWindowTitle(QStringLiteral("Control Panels"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    for (const PanelListening *server : servers) {
        const PanelListening::Protocol &protocol = server->protocol();
        const PanelListening::Choice choice = server->current();
        const QString group = QString::fromLatin1(protocol.settingsGroup);
        // The box's check is the choice; unchecked, its address is greyed.
        auto *serve =
            new QGroupBox(QStringLiteral("Serve &%1").arg(QLatin1String(protocol.clients)), this);
        serve->setObjectName(QStringLiteral("grpServe_") + group);
        serve->setCheckable(true);
        serve->setChecked(choice.enabled);
        auto *address = new QLineEdit(choice.address, serve);
        address->setObjectName(QStringLiteral("txtAddress_") + group);
        address->setMinimumWidth(220);
        auto *form = new QFormLayout(serve);
        form->addRow(QStringLiteral("Address (host:port, %1 is usual):").arg(protocol.defaultPort),
                     address);
        layout->addWidget(serve);
        m_sections.append({serve, address});
    }
    auto *note = new QLabel(QStringLiteral("No protocol here has a password: whoever reaches an "
                                           "address can route, rename and lock. Keep 127.0.0.1 "
                                           "unless the network is trusted."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *cmdOK = DialogLook::MakeButton(QStringLiteral("OK"), QStringLiteral("cmdOK"), this);
    cmdOK->setDefault(true);
    auto *cmdCancel =
        DialogLook::MakeButton(QStringLiteral("Cancel"), QStringLiteral("cmdCancel"), this);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addWidget(webGroup(web));
    layout->addLayout(buttons);
    DialogLook::Apply(this);
}

QWidget *frmControlPanels::webGroup(const WebListening::Choice &web)
{
    auto *group = new QGroupBox(QStringLiteral("Web panel"), this);
    m_chkWeb = new QCheckBox(QStringLiteral("Serve the &web panel"), group);
    m_chkWeb->setObjectName(QStringLiteral("chkWeb"));
    m_chkWeb->setChecked(web.enabled);
    const auto field = [group](const QString &text, const char *name) {
        auto *edit = new QLineEdit(text, group);
        edit->setObjectName(QLatin1String(name));
        edit->setMinimumWidth(220);
        return edit;
    };
    m_txtWebAddress = field(web.address, "txtWebAddress");
    m_chkWebViewing = new QCheckBox(QStringLiteral("Pages without the PIN may &view"), group);
    m_chkWebViewing->setObjectName(QStringLiteral("chkWebViewing"));
    m_chkWebViewing->setChecked(web.viewing);
    m_txtPin = field({}, "txtPin");
    m_txtPin->setEchoMode(QLineEdit::Password);
    m_txtPin->setPlaceholderText(WebListening::storedPinHash().isEmpty()
                                     ? QStringLiteral("none: nobody routes from a page")
                                     : QStringLiteral("unchanged"));
    m_chkRemovePin = new QCheckBox(QStringLiteral("Remove the PIN"), group);
    m_chkRemovePin->setObjectName(QStringLiteral("chkRemovePin"));
    m_txtCertificate = field(web.certificate, "txtCertificate");
    m_txtKey = field(web.key, "txtKey");
    auto *note = new QLabel(QStringLiteral("Routing from a page needs the PIN. Without a "
                                           "certificate the PIN crosses the network in clear."),
                            group);
    note->setWordWrap(true);

    auto *form = new QFormLayout(group);
    form->addRow(m_chkWeb);
    form->addRow(QStringLiteral("A&ddress (host:port):"), m_txtWebAddress);
    form->addRow(m_chkWebViewing);
    form->addRow(QStringLiteral("New &PIN:"), m_txtPin);
    form->addRow(m_chkRemovePin);
    form->addRow(QStringLiteral("&Certificate (PEM):"), m_txtCertificate);
    form->addRow(QStringLiteral("&Key (PEM):"), m_txtKey);
    form->addRow(note);
    const auto enable = [this](bool on) {
        for (QWidget *widget :
             {static_cast<QWidget *>(m_txtWebAddress), static_cast<QWidget *>(m_chkWebViewing),
              static_cast<QWidget *>(m_txtCertificate), static_cast<QWidget *>(m_txtKey)})
            widget->setEnabled(on);
    };
    enable(web.enabled);
    connect(m_chkWeb, &QCheckBox::toggled, this, enable);
    return group;
}

WebListening::Choice frmControlPanels::webChoice() const
{
    return {m_chkWeb->isChecked(), m_txtWebAddress->text().trimmed(),
            m_txtCertificate->text().trimmed(), m_txtKey->text().trimmed(),
            m_chkWebViewing->isChecked()};
}

QString frmControlPanels::newPin() const
{
    return m_txtPin->text();
}

bool frmControlPanels::removePin() const
{
    return m_chkRemovePin->isChecked();
}

QList<PanelListening::Choice> frmControlPanels::choices() const
{
    QList<PanelListening::Choice> choices;
    for (const Section &section : m_sections)
        choices.append({section.serve->isChecked(), section.address->text().trimmed()});
    return choices;
}

} // namespace corvantis
