#pragma once
// The popup that shows a block's page: the page's frame of the context in Panel_block_dat, a
// Close button below. Modal; the page is destroyed however the popup ends. The page's frame joins
// Panel_block_dat's layout, so the popup is never smaller than the page needs and the page
// follows the popup's size.
#include <QDialog>

struct PageNode;
class QPushButton;

class TForm_block_dat : public QDialog {
    Q_OBJECT
public:
    explicit TForm_block_dat(QWidget* parent = nullptr);

    QWidget* Panel_block_dat;
    QWidget* Panel1;
    QWidget* GroupBox_block_dat;
    QPushButton* BitBtn_close;

    void FormShow();
    void FormClose();
    void done(int result) override;
};

// The node whose page the popup shows; null while no popup is open.
extern PageNode* Form_block_node;
// The popup while it is shown.
extern TForm_block_dat* Form_block_dat;

// Shows node's page of ctx in the popup, modally; returns when it is closed.
void Form_block_show(PageNode* node, uint16_t ctx);
