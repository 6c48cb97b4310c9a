#pragma once

class QCoreApplication;

namespace rm::ui {

// The interface is Chinese whatever the user's locale: installs Qt's own
// Simplified Chinese translation (qtbase_zh_CN, from the Qt translations
// folder) into `application`, so that the standard dialogs, buttons and
// context menus read Chinese, and makes Chinese (China) the default locale
// (dates and sizes in the file dialogs). Call it before any widget is made.
// False when the translation file could not be loaded: the Qt texts then
// stay English, the program works as before.
bool installChineseTranslation(QCoreApplication& application);

} // namespace rm::ui
