#include "frame/Accelerators.h"

#include <QGuiApplication>
#include <QShortcut>
#include <QWidget>
#include <QWindow>

const std::vector<AcceleratorEntry>& AcceleratorTable() {
  constexpr auto kCtrl = Qt::ControlModifier;
  constexpr auto kPad = Qt::ControlModifier | Qt::KeypadModifier;
  static const std::vector<AcceleratorEntry> table = {
      {kCtrl | Qt::Key_A, 32947},         {kCtrl | Qt::Key_B, 32946},      {kCtrl | Qt::Key_C, 32965},
      {kCtrl | Qt::Key_D, 32968},         {kCtrl | Qt::Key_E, 32945},      {kCtrl | Qt::Key_L, 32948},
      {kCtrl | Qt::Key_M, 32949},         {kCtrl | Qt::Key_N, 32934},      {kCtrl | Qt::Key_O, 32924},
      {kCtrl | Qt::Key_P, 32950},         {kCtrl | Qt::Key_R, 32959},      {kCtrl | Qt::Key_S, 32923},
      {kCtrl | Qt::Key_T, 32944},         {kCtrl | Qt::Key_V, 32966},      {kCtrl | Qt::Key_X, 32964},
      {kCtrl | Qt::Key_Y, 32780},         {kCtrl | Qt::Key_Z, 32779},      {kPad | Qt::Key_Plus, 32960},
      {kPad | Qt::Key_Minus, 32961},      {kCtrl | Qt::Key_Up, 32951},     {kCtrl | Qt::Key_Down, 32952},
      {kCtrl | Qt::Key_PageUp, 32953},    {kCtrl | Qt::Key_PageDown, 32954}, {kCtrl | Qt::Key_Left, 32958},
      {kCtrl | Qt::Key_Right, 32957},     {kCtrl | Qt::Key_Space, 32956},  {QKeyCombination(Qt::Key_Escape), 32955},
      {QKeyCombination(Qt::Key_Return), 32889}, {Qt::KeypadModifier | Qt::Key_Enter, 32889},
      {QKeyCombination(Qt::Key_F1), 32921}, {QKeyCombination(Qt::Key_Delete), 32962},
  };
  return table;
}

void InstallAccelerators(QWidget& window, const std::function<void(int id)>& run) {
  std::vector<QShortcut*> shortcuts;
  for (const AcceleratorEntry& entry : AcceleratorTable()) {
    auto* shortcut = new QShortcut(QKeySequence(entry.key), &window);
    shortcut->setContext(Qt::WindowShortcut);
    const int id = entry.id;
    QObject::connect(shortcut, &QShortcut::activated, &window, [run, id] { run(id); });
    shortcuts.push_back(shortcut);
  }
  // Qt counts a tool window's keys as its owner's: while one of them has the
  // keyboard the table stands aside, so that its keys reach it.
  auto follow = [&window, shortcuts](QWindow* focus) {
    const bool own = focus && focus == window.windowHandle();
    for (QShortcut* shortcut : shortcuts) shortcut->setEnabled(own);
  };
  QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &window, follow);
  follow(QGuiApplication::focusWindow());
}
