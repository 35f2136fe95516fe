#pragma once
// Command ids of the menus and toolbars: the program has always numbered its commands so.

namespace KTCommand {

constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrintSetup = 57606;
constexpr int FilePrint = 57607;
constexpr int FilePrintPreview = 57609;
constexpr int FileUpdate = 57610;
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
constexpr int WindowNext = 57652;
constexpr int WindowPrevious = 57653;

constexpr int CloseAllUpdate = 32804;
constexpr int CloseAll = 32805;
constexpr int ToolsWriteDefaultConfig = 32821;
constexpr int ToolsResetAllOptions = 32836;
constexpr int HelpReadHelpFile = 32823;
constexpr int HelpReadManual = 32824;
constexpr int HelpReadQuickref = 32825;
constexpr int HelpNewsletter = 33051;
constexpr int HelpEmailTutorials = 33052;
constexpr int HelpCheckForUpdates = 33050;
constexpr int HelpAboutMaker = 32826;

constexpr int SelectMode = 32787;
constexpr int IntegralMode = 32791;
constexpr int AnnotationMode = 32785;
constexpr int ZoomMode = 32786;
constexpr int DerivativeMode = 32801;
constexpr int EditFunctions = 32792;
constexpr int EditProperties = 32811;
constexpr int Integral = 32783;
constexpr int TangentLine = 32803;
constexpr int Preferences = 32812;
constexpr int Messages = 32839;
constexpr int CopyToClipboard = 32837;

} // namespace KTCommand
