#pragma once

class QCheckBox;
class QGridLayout;
class QMainWindow;
class QPushButton;
class QWidget;

// The main window's form: a single-row grid with the record button, the play button and the loop
// box. Written by hand instead of through uic so that construction order and every cell, policy and
// stretch stay visible in one place. The widgets are owned by the window through their Qt parents.
class Ui_Tamblo {
public:
    QWidget* centralwidget = nullptr;
    QGridLayout* gridLayout = nullptr;
    QPushButton* pushButton = nullptr;
    QPushButton* pb_play = nullptr;
    QCheckBox* ck_playaround = nullptr;

    void setupUi(QMainWindow* tamblo);
    void retranslateUi(QMainWindow* tamblo);
};
