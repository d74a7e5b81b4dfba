// Set-and-start command and the configuration file cfg.txt.

#include "app/mainwindow.h"

void MainWindow::on_btnSetStart_clicked()
{
}

void MainWindow::loadConfig()
{
}

void MainWindow::saveConfig()
{
}

void MainWindow::applyDefaultConfig()
{
}
