#pragma once
// A widget with its object name (for tests and style sheets) and the name a
// screen reader says.

template <class T>
T* Named(T* widget, const char* name, const char* accessible) {
  widget->setObjectName(name);
  widget->setAccessibleName(accessible);
  return widget;
}
