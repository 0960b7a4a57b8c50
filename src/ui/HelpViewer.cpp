#include "ui/HelpViewer.h"

#include "util/Platform.h"
#include "util/Version.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPalette>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <array>

namespace corvantis {

namespace {

// The order of the contents list: the window first, then setting up, then macros.
constexpr std::array<int, 5> kContents = {HelpViewer::kMainWindowTopic, HelpViewer::kOneRouterTopic,
                                          HelpViewer::kSeveralRoutersTopic,
                                          HelpViewer::kMappingTopic, HelpViewer::kMacrosTopic};

// -1 for a page that is not a numbered topic.
int topicOf(const QUrl &url)
{
    static const QRegularExpression pattern(QStringLiteral("^topic(\\d+)\\.html$"));
    const auto match = pattern.match(QFileInfo(url.toLocalFile()).fileName());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The text of the file's <title>, or its file name.
QString titleOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo(path).fileName();
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const auto match = title.match(QString::fromUtf8(file.read(64 * 1024)));
    return match.hasMatch() ? match.captured(1).simplified() : QFileInfo(path).fileName();
}

} // namespace

HelpViewer::HelpViewer(QWidget *parent, const QString &folder)
    : QWidget(parent, Qt::Window), m_folder(folder)
{
    setObjectName(QStringLiteral("HelpViewer"));
    // An open guide does not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QString::fromLatin1(kProgramTitle) + QStringLiteral(" Help"));
    resize(860, 620);

    auto makeButton = [this](const QString &name, const QString &text, const QString &tip) {
        auto *button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(text);
        button->setToolTip(tip);
        button->setAutoRaise(true);
        return button;
    };
    m_btnBack = makeButton(QStringLiteral("btnBack"), QStringLiteral("Back"),
                           QStringLiteral("Back to the page seen before (Alt+Left)"));
    m_btnForward = makeButton(QStringLiteral("btnForward"), QStringLiteral("Forward"),
                              QStringLiteral("Forward again (Alt+Right)"));
    m_btnHome = makeButton(QStringLiteral("btnHome"), QStringLiteral("Main window"),
                           QStringLiteral("The guide's first page"));
    m_btnBack->setEnabled(false);
    m_btnForward->setEnabled(false);

    m_lstTopics = new QListWidget(this);
    m_lstTopics->setObjectName(QStringLiteral("lstTopics"));
    m_txtHelp = new QTextBrowser(this);
    m_txtHelp->setObjectName(QStringLiteral("txtHelp"));
    // Links are followed here, so that mail and web links go through the platform seam.
    m_txtHelp->setOpenLinks(false);
    // The guide reads as dark text on paper whatever the program's own colours are.
    QPalette paper = m_txtHelp->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        paper.setColor(group, QPalette::Base, QColor(0xFA, 0xFA, 0xF7));
        paper.setColor(group, QPalette::Text, QColor(0x20, 0x20, 0x20));
        paper.setColor(group, QPalette::Link, QColor(0x1A, 0x5F, 0xB4));
        paper.setColor(group, QPalette::LinkVisited, QColor(0x5A, 0x3F, 0x94));
    }
    m_txtHelp->setPalette(paper);
    m_lstTopics->setSpacing(2);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_lstTopics);
    splitter->addWidget(m_txtHelp);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 640});

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_btnBack);
    buttons->addWidget(m_btnForward);
    buttons->addWidget(m_btnHome);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(m_btnBack, &QToolButton::clicked, m_txtHelp, &QTextBrowser::backward);
    connect(m_btnForward, &QToolButton::clicked, m_txtHelp, &QTextBrowser::forward);
    connect(m_btnHome, &QToolButton::clicked, this, [this] { showTopic(kMainWindowTopic); });
    connect(m_txtHelp, &QTextBrowser::backwardAvailable, m_btnBack, &QToolButton::setEnabled);
    connect(m_txtHelp, &QTextBrowser::forwardAvailable, m_btnForward, &QToolButton::setEnabled);
    connect(m_txtHelp, &QTextBrowser::anchorClicked, this, &HelpViewer::linkClicked);
    connect(m_txtHelp, &QTextBrowser::sourceChanged, this, &HelpViewer::sourceChanged);
    // Some desktops activate on a single click as well, so one click may bring both.
    auto openListed = [this](QListWidgetItem *item) {
        const int topic = item->data(Qt::UserRole).toInt();
        if (topic != currentTopic())
            showTopic(topic);
    };
    connect(m_lstTopics, &QListWidget::itemActivated, this, openListed);
    connect(m_lstTopics, &QListWidget::itemClicked, this, openListed);
}

QString HelpViewer::TopicFileName(int topic)
{
    return QStringLiteral("topic%1.html").arg(topic);
}

QStringList HelpViewer::CandidateFolders(const QString &programFolder)
{
    const QDir program(programFolder);
    return {QDir::cleanPath(program.filePath(QStringLiteral("help"))),
            QDir::cleanPath(program.filePath(QStringLiteral("../share/corvantis/help")))};
}

QString HelpViewer::FindHelpFolder(const QString &programFolder)
{
    for (const auto &folder : CandidateFolders(programFolder)) {
        if (QFileInfo(QDir(folder).filePath(TopicFileName(kMainWindowTopic))).isFile())
            return folder;
    }
    return {};
}

QString HelpViewer::helpFolder() const
{
    if (!m_folder.isEmpty())
        return m_folder;
    return FindHelpFolder(QString::fromStdString(platform().programFolder()));
}

bool HelpViewer::showTopic(int topic)
{
    const QString folder = helpFolder();
    const QString path = folder.isEmpty() ? QString() : QDir(folder).filePath(TopicFileName(topic));
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        platform().messageBox(kMissingMessage, kProgramTitle, MessageButtons::Ok,
                              MessageIcon::None);
        return false;
    }
    if (m_lstTopics->count() == 0)
        fillContents();
    const QUrl url = QUrl::fromLocalFile(path);
    if (m_txtHelp->source() == url)
        m_txtHelp->reload();
    else
        m_txtHelp->setSource(url);
    showAboveModalDialogs();
    return true;
}

int HelpViewer::currentTopic() const
{
    return topicOf(m_txtHelp->source());
}

void HelpViewer::fillContents()
{
    const QDir folder(helpFolder());
    for (const int topic : kContents) {
        const QString path = folder.filePath(TopicFileName(topic));
        if (!QFileInfo(path).isFile())
            continue;
        auto *item = new QListWidgetItem(titleOf(path), m_lstTopics);
        item->setData(Qt::UserRole, topic);
    }
}

void HelpViewer::linkClicked(const QUrl &url)
{
    if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
        m_txtHelp->scrollToAnchor(url.fragment());
        return;
    }
    if (url.isRelative() || url.isLocalFile()) {
        const QUrl target = m_txtHelp->source().resolved(url);
        if (QFileInfo(target.toLocalFile()).isFile())
            m_txtHelp->setSource(target);
        else
            platform().messageBox(kMissingMessage, kProgramTitle, MessageButtons::Ok,
                                  MessageIcon::None);
        return;
    }
    platform().openDocument(url.toString().toStdString());
}

void HelpViewer::sourceChanged(const QUrl &url)
{
    // Told before source() has changed.
    const int topic = topicOf(url);
    for (int row = 0; row < m_lstTopics->count(); ++row) {
        if (m_lstTopics->item(row)->data(Qt::UserRole).toInt() == topic) {
            m_lstTopics->setCurrentRow(row);
            return;
        }
    }
    m_lstTopics->clearSelection();
}

void HelpViewer::showAboveModalDialogs()
{
    // A modal dialog blocks every other window, so help asked for from inside one must be
    // modal itself to be read; asked for from the main window it is an ordinary window.
    QWidget *modal = QApplication::activeModalWidget();
    const bool fromDialog = modal && modal != this;
    const Qt::WindowModality wanted = fromDialog ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != wanted) {
        hide();
        setWindowModality(wanted);
    }
    show();
    raise();
    activateWindow();
}

} // namespace corvantis
