#include "app/progress_strip.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

ProgressStrip::ProgressStrip(QWidget *parent)
    : QWidget(parent)
    , m_bar(new QProgressBar(this))
    , m_cancel(new QPushButton(tr("取消"), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_cancel);
    m_bar->setRange(0, 100);
    m_cancel->setFixedWidth(40);
    m_cancel->setToolTip(tr("取消 (Esc)"));
    connect(m_cancel, &QPushButton::clicked, this, &ProgressStrip::cancelRequested);
    hide();
}

void ProgressStrip::begin()
{
    m_bar->setValue(0);
    show();
    raise();
}

void ProgressStrip::setValue(int percent)
{
    m_bar->setValue(percent);
}

void ProgressStrip::showProgress(int percent)
{
    if (isHidden())
        begin();
    setValue(percent);
}
