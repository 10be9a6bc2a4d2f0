// CAboutDlg: the About box filled in from its form, at a fixed size.
#include "dialog/about_dlg.h"

#include "dialog/app_resources.h"
#include "ui_about_dlg.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_form(std::make_unique<Ui::CAboutDlg>())
{
    m_form->setupUi(this);
    constexpr int ICON_SIZE = 32;
    m_form->labelIcon->setPixmap(AppIcon().pixmap(ICON_SIZE, ICON_SIZE));
    setFixedSize(size());
}

CAboutDlg::~CAboutDlg() = default;
