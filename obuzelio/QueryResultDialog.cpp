#include "QueryResultDialog.h"

#include "QueryResults.h"
#include "prompter/Prompter.h"
#include "text/TextDecode.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// String resources of the dialog.
constexpr const char* TitleText = "Query Result - ";
constexpr const char* IntroText =
    "The result of the query is shown in the list below. Choose book from the list and press ok "
    "to proceed. Press cancel to abort query.";
constexpr const char* BooksLabel = "&Available Books:";
constexpr const char* BookNameColumn = "Book Name"; // string 1200
constexpr const char* HitsColumn = "Hits";          // string 1201

constexpr int IndexRole = Qt::UserRole;

QString Decode(const std::string& text)
{
    return QString::fromStdString(platform::DecodeToUtf8(text));
}

bool Listed(long hits, int showAll)
{
    return (showAll == 1 && hits >= 0) || (showAll == 0 && hits > 0);
}

} // namespace

QIcon CQueryResultDialog::BookIcon()
{
    // A closed book seen from the front: dark blue cover, white page edge, gold band.
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawRect(3, 1, 10, 14);
    painter.setBrush(Qt::white);
    painter.drawRect(12, 2, 2, 13);
    painter.setBrush(QColor(0, 0, 64));
    painter.drawRect(3, 1, 2, 14);
    painter.setBrush(QColor(255, 204, 0));
    painter.drawRect(6, 4, 5, 2);
    painter.end();
    return QIcon(pixmap);
}

CQueryResultDialog::CQueryResultDialog(const CCollectionResult& result, int showAll,
                                       QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(TitleText) + Decode(result.m_alias));

    auto* intro = new QLabel(QString::fromLatin1(IntroText), this);
    intro->setWordWrap(true);
    auto* label = new QLabel(QString::fromLatin1(BooksLabel), this);
    m_list = new QTreeWidget(this);
    label->setBuddy(m_list);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QString::fromLatin1(BookNameColumn), QString::fromLatin1(HitsColumn)});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setIconSize(QSize(16, 16));
    m_list->header()->setStretchLastSection(false);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->viewport()->installEventFilter(this);

    const QIcon icon = BookIcon();
    for (size_t i = 0; i < result.m_books.size(); ++i) {
        const CBookResult& book = result.m_books[i];
        if (!Listed(book.m_hits, showAll))
            continue;
        auto* item = new QTreeWidgetItem(m_list);
        item->setIcon(0, icon);
        item->setText(0, Decode(book.m_title));
        item->setText(1, QString::number(book.m_hits));
        item->setData(0, IndexRole, static_cast<int>(i));
    }
    if (QTreeWidgetItem* first = m_list->topLevelItem(0))
        m_list->setCurrentItem(first);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &CQueryResultDialog::Choose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CQueryResultDialog::Choose);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(420, 300);
    FitColumns();
}

int CQueryResultDialog::RowCount() const
{
    return m_list->topLevelItemCount();
}

bool CQueryResultDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        FitColumns();
    return QDialog::eventFilter(watched, event);
}

void CQueryResultDialog::FitColumns()
{
    // The book name takes 8/10 of the list's client width, the hit count 2/10.
    const int width = m_list->viewport()->width();
    m_list->setColumnWidth(0, width * 8 / 10);
    m_list->setColumnWidth(1, width * 2 / 10);
}

void CQueryResultDialog::Choose()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return; // nothing chosen yet: the dialog stays open
    m_chosen = selected.first()->data(0, IndexRole).toInt();
    accept();
}

int RunQueryResultDialog(const CQuery* query, int showAll, platform::IPrompter& prompter,
                         QWidget* parent)
{
    if (!query || query->m_collections.size() != 1)
        return -1;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return -1;
    CQueryResultDialog dialog(*query->m_collections.front(), showAll, parent);
    if (dialog.RowCount() == 0) {
        platform::Report(prompter, MsgNoMatches, MsgNoMatchesText, platform::Icon::Information);
        return -1;
    }
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return dialog.ChosenIndex();
}
