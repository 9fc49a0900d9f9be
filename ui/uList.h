#pragma once

#include <QDialog>
#include <QString>
#include <string_view>

class LineView;
class QPushButton;

// The result window: the list in a fixed-pitch, read-only view, copied to the clipboard or saved.
class TfrmList final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmList)

public:
    explicit TfrmList(QWidget* parent = nullptr);
    ~TfrmList() override;

    // What the search run needs: empty the list, append one line, show the window modally.
    void clearList();
    void appendLine(std::string_view utf8Line);
    void appendLine(const QString& line);
    int showModal();

    LineView* mList = nullptr;
    QPushButton* btnCopyToClipboard = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnSaveAs = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    QPushButton* createButton(const char* name, const QString& caption, int width);

    void btnCopyToClipboardClick();
    void FormResize();
    void btnSaveAsClick();
    void saveList(const QString& fileName);

    // The save dialog's file name and filter, offered again at the next save.
    QString saveFileName_;
    QString saveFilter_;
};

extern TfrmList* frmList;
