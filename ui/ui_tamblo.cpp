#include "ui/ui_tamblo.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QMainWindow>
#include <QMetaObject>
#include <QPushButton>
#include <QSizePolicy>

namespace {

// Minimum × Fixed with the given horizontal stretch, keeping the widget's own height-for-width.
void applyRowPolicy(QWidget* widget, int horizontalStretch)
{
    QSizePolicy policy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    policy.setHorizontalStretch(horizontalStretch);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
    widget->setSizePolicy(policy);
}

}  // namespace

void Ui_Tamblo::setupUi(QMainWindow* tamblo)
{
    if (tamblo->objectName().isEmpty())
        tamblo->setObjectName(QStringLiteral("tamblo"));
    tamblo->resize(522, 33);

    centralwidget = new QWidget(tamblo);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));
    gridLayout = new QGridLayout(centralwidget);
    gridLayout->setSpacing(3);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setContentsMargins(5, 5, 5, 5);

    pushButton = new QPushButton(centralwidget);
    pushButton->setObjectName(QStringLiteral("pushButton"));
    applyRowPolicy(pushButton, 6);
    gridLayout->addWidget(pushButton, 0, 0, 1, 1);

    pb_play = new QPushButton(centralwidget);
    pb_play->setObjectName(QStringLiteral("pb_play"));
    applyRowPolicy(pb_play, 6);
    gridLayout->addWidget(pb_play, 0, 2, 1, 1);

    ck_playaround = new QCheckBox(centralwidget);
    ck_playaround->setObjectName(QStringLiteral("ck_playaround"));
    applyRowPolicy(ck_playaround, 3);
    gridLayout->addWidget(ck_playaround, 0, 3, 1, 1);

    tamblo->setCentralWidget(centralwidget);

    retranslateUi(tamblo);

    QMetaObject::connectSlotsByName(tamblo);
}

void Ui_Tamblo::retranslateUi(QMainWindow* tamblo)
{
    tamblo->setWindowTitle(QCoreApplication::translate("tamblo", "MainWindow", nullptr));
    pushButton->setText(QCoreApplication::translate("tamblo", "录制", nullptr));
    pb_play->setText(QCoreApplication::translate("tamblo", "播放脚本", nullptr));
    ck_playaround->setText(QCoreApplication::translate("tamblo", "循环播放脚本", nullptr));
}
