#pragma once

#include "model/grid_block.h"

#include <QTableView>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QUndoStack;

namespace carexa {

class GridModel;

/// The view of a text grid: a fixed heading row and day column (the model's header sections,
/// with the grid's corner cell as the corner's caption), fixed row heights so a grid of any
/// number of days opens at once, and columns wide enough for their headings and numbers.
///
/// Cells are selected as one block (mouse, Shift+arrows, a heading click, Ctrl+A). "Copy"
/// (Ctrl+C) puts the block on the clipboard as tab-separated text, with the heading line when
/// whole columns are selected. In a grid set up for editing, "Paste" (Ctrl+V) writes a pasted
/// block from the selection's top-left cell right and down, "Clear" (Delete) writes the grid's
/// empty entry into the selected cells, and "Undo" / "Redo" (Ctrl+Z / Ctrl+Y) take back and
/// repeat pastes, clears and typed cells. A change of the grid as a whole (the model reset)
/// ends what can be undone.
class GridView : public QTableView
{
    Q_OBJECT

public:
    /// What a grid allows beyond copying.
    struct Editing
    {
        bool enabled = false; ///< paste, clear, undo and redo
        std::string emptyText = "0.0001"; ///< the entry of an empty cell
        /// A paste into rows firstRow.. needs rows up to lastRow, past the grid's last row:
        /// returns the last row to paste into (the grid has been extended when it is lastRow),
        /// or nothing to paste nothing. Without it the rows that fit are pasted.
        std::function<std::optional<int>(int firstRow, int lastRow)> makeRoom;
        /// Runs an action of the grid and reports a refusal; without it a refusal is dropped.
        std::function<void(const std::function<void()> &action)> run;
    };

    explicit GridView(QWidget *parent = nullptr);
    ~GridView() override;

    void setGridModel(GridModel *model);
    void setEditing(Editing editing);
    bool editingEnabled() const { return editing_.enabled; }
    /// Fits every column to its heading and its cells (at least `minimum` pixels) and shows
    /// the corner text. The cells measured are those of the rows on view and of the first and
    /// last kEdgeRows rows, so a grid of any length fits at once; rows that come into view later
    /// and edited cells widen their columns as needed.
    void fitColumns(int minimum = 44);

    /// Rows measured at each end of the grid.
    static constexpr int kEdgeRows = 200;

    /// The selected block in grid coordinates: the rectangle around the selection, or the current
    /// cell when nothing is selected; no cells when the grid has none.
    CellRange selectedRange() const;

    /// Copies the selected block to the clipboard.
    void copySelection();
    /// Pastes the clipboard's text (see pasteText).
    void pasteClipboard();
    /// Pastes `text` from the top-left cell of the selection: a single value into a selected
    /// block fills the block; anything else is refused as a whole with a message (ParsePastedText,
    /// PreparePaste) and rows past the grid go through Editing::makeRoom.
    void pasteText(const QString &text);
    /// Writes the empty entry into the selected cells.
    void clearCells();
    /// Puts the text of a cell being typed into the grid and closes its editor.
    void commitEdit();

    QUndoStack *undoStack() const { return undoStack_; }
    /// The context menu ("Copy", "Paste", "Clear", "Undo", "Redo", "Select all").
    QMenu *contextMenu() const { return menu_; }

protected:
    void updateGeometries() override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    class CellDelegate;
    class BlockCommand;
    friend class CellDelegate;
    friend class BlockCommand;

    // Widens the columns whose cells in model rows first..last do not fit.
    void widenForRows(int first, int last);
    // The model rows on view, first and last (-1 when none).
    std::pair<int, int> visibleRows() const;
    int cellPadding() const;

    void guarded(const std::function<void()> &action);
    void buildActions();
    void updateActions(bool lookAtClipboard = false);
    /// A change of `before` to `after` at grid cell (column, row), done and put on the undo
    /// stack.
    void pushChange(int column, int row, GridBlock before, GridBlock after, const QString &text);
    /// Writes a block and selects it (the undo commands' step).
    void writeBlock(int column, int row, const GridBlock &block);
    void typedCell(const QModelIndex &index, const QString &text);

    GridModel *gridModel_ = nullptr;
    QLabel *corner_ = nullptr;
    Editing editing_;
    QUndoStack *undoStack_ = nullptr;
    QMenu *menu_ = nullptr;
    QAction *copyAction_ = nullptr;
    QAction *pasteAction_ = nullptr;
    QAction *clearAction_ = nullptr;
    QAction *undoAction_ = nullptr;
    QAction *redoAction_ = nullptr;
    QAction *selectAllAction_ = nullptr;
};

} // namespace carexa
