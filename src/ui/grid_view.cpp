#include "ui/grid_view.h"

#include "ui/grid_model.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QUndoStack>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace carexa {

using namespace Qt::StringLiterals;

namespace {

// A text's width in whole pixels, rounded up as the item delegate rounds it.
int TextWidth(const QFontMetricsF &metrics, const QString &text)
{
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
}

} // namespace

/// Typed cells of an editing grid go in through the undo stack.
class GridView::CellDelegate : public QStyledItemDelegate
{
public:
    explicit CellDelegate(GridView *view) : QStyledItemDelegate(view), view_(view) { }

    void setModelData(
        QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const auto *line = qobject_cast<QLineEdit *>(editor);
        if (!line || !view_->editing_.enabled) {
            QStyledItemDelegate::setModelData(editor, model, index);
            return;
        }
        view_->typedCell(index, line->text());
    }

private:
    GridView *view_;
};

/// One change of a block of cells: the texts before and after.
class GridView::BlockCommand : public QUndoCommand
{
public:
    BlockCommand(
        GridView *view, int column, int row, GridBlock before, GridBlock after, const QString &text)
        : QUndoCommand(text),
          view_(view),
          column_(column),
          row_(row),
          before_(std::move(before)),
          after_(std::move(after))
    { }

    // The change is made before the command is pushed (a grid may refuse it), so the push's
    // redo has nothing left to do. A grid that refuses an undo or redo later says why.
    void redo() override
    {
        if (std::exchange(done_, false))
            return;
        view_->guarded([this] { view_->writeBlock(column_, row_, after_); });
    }
    void undo() override
    {
        view_->guarded([this] { view_->writeBlock(column_, row_, before_); });
    }

private:
    GridView *view_;
    int column_;
    int row_;
    GridBlock before_;
    GridBlock after_;
    bool done_ = true;
};

GridView::GridView(QWidget *parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
        | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    // One block at a time, as copy and paste work on one rectangle.
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The headings are as wide as their columns: a bold heading of a selected column would not fit.
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // Headings one point smaller than the cells, so a grid of eleven series fits its screen.
    QFont headings = horizontalHeader()->font();
    headings.setPointSizeF(headings.pointSizeF() - 1);
    horizontalHeader()->setFont(headings);
    corner_ = new QLabel(this);
    corner_->setAlignment(Qt::AlignCenter);
    corner_->setAttribute(Qt::WA_TransparentForMouseEvents);

    setItemDelegate(new CellDelegate(this));
    undoStack_ = new QUndoStack(this);
    undoStack_->setUndoLimit(100);
    buildActions();
}

GridView::~GridView()
{
    // The commands write through this view; they go before it does.
    undoStack_->clear();
}

void GridView::buildActions()
{
    const auto make
        = [this](const QString &name, const QString &text, const QList<QKeySequence> &keys) {
              auto *action = new QAction(text, this);
              action->setObjectName(name);
              action->setShortcuts(keys);
              action->setShortcutContext(Qt::WidgetShortcut);
              addAction(action);
              return action;
          };
    copyAction_ = make(u"copyAction"_s, u"Copy"_s, QKeySequence::keyBindings(QKeySequence::Copy));
    pasteAction_
        = make(u"pasteAction"_s, u"Paste"_s, QKeySequence::keyBindings(QKeySequence::Paste));
    clearAction_ = make(u"clearAction"_s, u"Clear"_s, {QKeySequence(Qt::Key_Delete)});
    undoAction_ = make(u"undoAction"_s, u"Undo"_s, QKeySequence::keyBindings(QKeySequence::Undo));
    redoAction_ = make(u"redoAction"_s, u"Redo"_s,
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    selectAllAction_ = make(
        u"selectAllAction"_s, u"Select all"_s, QKeySequence::keyBindings(QKeySequence::SelectAll));
    connect(copyAction_, &QAction::triggered, this, &GridView::copySelection);
    connect(pasteAction_, &QAction::triggered, this, &GridView::pasteClipboard);
    connect(clearAction_, &QAction::triggered, this, &GridView::clearCells);
    connect(undoAction_, &QAction::triggered, this,
        [this] { guarded([this] { undoStack_->undo(); }); });
    connect(redoAction_, &QAction::triggered, this,
        [this] { guarded([this] { undoStack_->redo(); }); });
    connect(selectAllAction_, &QAction::triggered, this, &QAbstractItemView::selectAll);
    connect(undoStack_, &QUndoStack::canUndoChanged, this, [this] { updateActions(); });
    connect(undoStack_, &QUndoStack::canRedoChanged, this, [this] { updateActions(); });

    menu_ = new QMenu(this);
    menu_->setObjectName(u"gridMenu"_s);
    menu_->addAction(copyAction_);
    menu_->addAction(pasteAction_);
    menu_->addAction(clearAction_);
    menu_->addSeparator();
    menu_->addAction(undoAction_);
    menu_->addAction(redoAction_);
    menu_->addSeparator();
    menu_->addAction(selectAllAction_);
    // The menu greys "Paste" while the clipboard holds no text; the key always tries.
    connect(menu_, &QMenu::aboutToShow, this, [this] { updateActions(true); });
    connect(menu_, &QMenu::aboutToHide, this, [this] { updateActions(); });
    updateActions();
}

void GridView::updateActions(bool lookAtClipboard)
{
    const bool cells = gridModel_ && gridModel_->rowCount() > 0 && gridModel_->columnCount() > 0;
    bool pastable = editing_.enabled && cells;
    if (pastable && lookAtClipboard) {
        const QClipboard *clipboard = QGuiApplication::clipboard();
        pastable = clipboard && !clipboard->text().isEmpty();
    }
    copyAction_->setEnabled(cells);
    pasteAction_->setEnabled(pastable);
    clearAction_->setEnabled(editing_.enabled && cells);
    undoAction_->setEnabled(editing_.enabled && undoStack_->canUndo());
    redoAction_->setEnabled(editing_.enabled && undoStack_->canRedo());
    selectAllAction_->setEnabled(cells);
}

void GridView::setGridModel(GridModel *model)
{
    if (gridModel_)
        disconnect(gridModel_, nullptr, this, nullptr);
    const bool first = gridModel_ == nullptr;
    gridModel_ = model;
    setModel(model);
    undoStack_->clear();
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        // What was done cell by cell cannot be undone over a grid that changed as a whole.
        undoStack_->clear();
        fitColumns();
        updateActions();
    });
    connect(model, &QAbstractItemModel::dataChanged, this,
        [this](const QModelIndex &from, const QModelIndex &to) {
            widenForRows(from.row(), std::min(to.row(), from.row() + kEdgeRows));
        });
    if (first) {
        connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
            const auto [top, bottom] = visibleRows();
            widenForRows(top, bottom);
        });
    }
    fitColumns();
    updateActions();
}

void GridView::setEditing(Editing editing)
{
    editing_ = std::move(editing);
    undoStack_->clear();
    updateActions();
}

int GridView::cellPadding() const
{
    // The item's text margins on both sides, as the delegate measures them, and the grid line.
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
}

std::pair<int, int> GridView::visibleRows() const
{
    const int rows = gridModel_ ? gridModel_->rowCount() : 0;
    if (rows == 0)
        return {0, -1};
    const int first = std::max(rowAt(0), 0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) {
        const int height = std::max(verticalHeader()->defaultSectionSize(), 1);
        last = std::min(rows - 1, first + viewport()->height() / height + 1);
    }
    return {first, last};
}

void GridView::fitColumns(int minimum)
{
    if (!gridModel_)
        return;
    const int columns = gridModel_->columnCount();
    const int rows = gridModel_->rowCount();
    const QFontMetricsF cells(font());
    const auto [firstVisible, lastVisible] = visibleRows();
    const std::pair<int, int> ranges[] = {{0, std::min(rows, kEdgeRows) - 1},
        {std::max(rows - kEdgeRows, 0), rows - 1}, {firstVisible, lastVisible}};
    std::vector<int> widths(static_cast<std::size_t>(columns), 0);
    for (const auto &[first, last] : ranges) {
        for (int r = first; r <= last; ++r) {
            for (int c = 0; c < columns; ++c) {
                int &width = widths[static_cast<std::size_t>(c)];
                width = std::max(width, TextWidth(cells, gridModel_->cellText(c + 1, r + 1)));
            }
        }
    }
    const int padding = cellPadding();
    for (int c = 0; c < columns; ++c) {
        setColumnWidth(c,
            std::max({minimum, widths[static_cast<std::size_t>(c)] + padding,
                horizontalHeader()->sectionSizeHint(c)}));
    }
    corner_->setText(gridModel_->cellText(0, 0));
    const int cornerWidth = QFontMetrics(corner_->font()).horizontalAdvance(corner_->text()) + 12;
    verticalHeader()->setMinimumWidth(std::max(cornerWidth, 34));
    updateGeometries();
}

void GridView::widenForRows(int first, int last)
{
    if (!gridModel_ || first < 0)
        return;
    const QFontMetricsF cells(font());
    const int padding = cellPadding();
    last = std::min(last, gridModel_->rowCount() - 1);
    for (int c = 0; c < gridModel_->columnCount(); ++c) {
        int wanted = 0;
        for (int r = first; r <= last; ++r)
            wanted = std::max(wanted, TextWidth(cells, gridModel_->cellText(c + 1, r + 1)));
        if (wanted + padding > columnWidth(c))
            setColumnWidth(c, wanted + padding);
    }
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    if (corner_) {
        corner_->setGeometry(
            frameWidth(), frameWidth(), verticalHeader()->width(), horizontalHeader()->height());
        corner_->raise();
    }
}

CellRange GridView::selectedRange() const
{
    if (!gridModel_ || gridModel_->rowCount() == 0 || gridModel_->columnCount() == 0)
        return {1, 1, 0, 0};
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty()) {
        QModelIndex current = currentIndex();
        if (!current.isValid())
            current = gridModel_->index(0, 0);
        return {current.column() + 1, current.row() + 1, 1, 1};
    }
    int top = INT_MAX;
    int left = INT_MAX;
    int bottom = -1;
    int right = -1;
    for (const QItemSelectionRange &range : selection) {
        top = std::min(top, range.top());
        left = std::min(left, range.left());
        bottom = std::max(bottom, range.bottom());
        right = std::max(right, range.right());
    }
    return {left + 1, top + 1, right - left + 1, bottom - top + 1};
}

void GridView::guarded(const std::function<void()> &action)
{
    if (editing_.run) {
        editing_.run(action);
        return;
    }
    try {
        action();
    } catch (const std::exception &) {
        // No one to tell: the grid stays as it was.
    }
}

void GridView::copySelection()
{
    guarded([this] {
        const CellRange range = selectedRange();
        if (range.columns == 0 || range.rows == 0)
            return;
        const bool wholeColumns = range.row == 1 && range.rows == gridModel_->rowCount();
        const std::string text = BlockText(*gridModel_, range, wholeColumns);
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    });
}

void GridView::pasteClipboard()
{
    pasteText(QGuiApplication::clipboard()->text());
}

void GridView::pasteText(const QString &text)
{
    if (!editing_.enabled)
        return;
    guarded([this, &text] {
        const CellRange range = selectedRange();
        if (range.columns == 0 || range.rows == 0)
            return;
        const GridModel &grid = *gridModel_;
        PastedText pasted = ParsePastedText(text.toStdString(), grid, range.column);
        if (pasted.block.empty())
            return;
        GridBlock block = std::move(pasted.block);
        if (block.columnCount() == 1 && block.rowCount() == 1 && range.columns * range.rows > 1)
            block = GridBlock(range.columns, range.rows, block.text(0, 0));
        block = PreparePaste(std::move(block), grid, range.column, range.row, editing_.emptyText);

        const int lastRow = range.row + block.rowCount() - 1;
        const int shownRows = grid.rows() - 1;
        if (lastRow > shownRows) {
            std::optional<int> roomTo = shownRows;
            if (editing_.makeRoom)
                roomTo = editing_.makeRoom(range.row, lastRow);
            if (!roomTo)
                return;
            block.keepRows(std::clamp(*roomTo - range.row + 1, 0, block.rowCount()));
            if (block.empty())
                return;
        }
        GridBlock before = ReadBlock(
            *gridModel_, {range.column, range.row, block.columnCount(), block.rowCount()});
        pushChange(range.column, range.row, std::move(before), std::move(block), u"Paste"_s);
    });
}

void GridView::clearCells()
{
    if (!editing_.enabled)
        return;
    guarded([this] {
        const CellRange range = selectedRange();
        if (range.columns == 0 || range.rows == 0)
            return;
        GridBlock before = ReadBlock(*gridModel_, range);
        GridBlock after(range.columns, range.rows, editing_.emptyText);
        pushChange(range.column, range.row, std::move(before), std::move(after), u"Clear"_s);
    });
}

void GridView::commitEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void GridView::typedCell(const QModelIndex &index, const QString &text)
{
    const int column = index.column() + 1;
    const int row = index.row() + 1;
    GridBlock before = ReadBlock(*gridModel_, {column, row, 1, 1});
    GridBlock after(1, 1, text.toStdString());
    if (before == after)
        return;
    pushChange(column, row, std::move(before), std::move(after), u"Typing"_s);
}

void GridView::pushChange(
    int column, int row, GridBlock before, GridBlock after, const QString &text)
{
    writeBlock(column, row, after);
    undoStack_->push(
        new BlockCommand(this, column, row, std::move(before), std::move(after), text));
}

void GridView::writeBlock(int column, int row, const GridBlock &block)
{
    gridModel_->write(column, row, block);
    const int lastRow = std::min(row + block.rowCount() - 1, gridModel_->rowCount());
    const int lastColumn = std::min(column + block.columnCount() - 1, gridModel_->columnCount());
    if (row > lastRow || column > lastColumn)
        return;
    const QModelIndex topLeft = gridModel_->index(row - 1, column - 1);
    selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
    selectionModel()->select(
        QItemSelection(topLeft, gridModel_->index(lastRow - 1, lastColumn - 1)),
        QItemSelectionModel::ClearAndSelect);
    scrollTo(topLeft);
}

void GridView::contextMenuEvent(QContextMenuEvent *event)
{
    // A right click outside the selection selects the cell under the mouse first.
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid() && !selectionModel()->isSelected(index))
        setCurrentIndex(index);
    menu_->exec(event->globalPos());
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    // The keys of the context menu, also where a shortcut did not take them first; never into a
    // cell editor, which would take a whole pasted block as one text.
    for (QAction *action :
        {copyAction_, pasteAction_, clearAction_, undoAction_, redoAction_, selectAllAction_}) {
        for (const QKeySequence &keys : action->shortcuts()) {
            if (QKeySequence(event->keyCombination()) == keys) {
                if (action->isEnabled())
                    action->trigger();
                event->accept();
                return;
            }
        }
    }
    QTableView::keyPressEvent(event);
}

} // namespace carexa
