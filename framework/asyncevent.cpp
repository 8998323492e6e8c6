// The registry of asynchronous event sources and its per-update sweep, which tolerates a
// source removing itself (or others) while it is being updated.
#include "framework/asyncevent.h"

#include "runtime/console.h"

c_IAsyncEventSource* c_Stack::m_NIL;
c_IAsyncEventSource* vg_asyncevent__current;
c_Stack* vg_asyncevent__sources;

c_Stack* c_Stack::m_new() { return this; }

c_IAsyncEventSource* c_Stack::p_Get(int index) {
  if (index < 0 || index >= m_length) vgError("Stack index out of range");
  return m_data[index];
}

int c_Stack::p_Push(c_IAsyncEventSource* value) {
  if (m_length == m_data.Length()) gc_assign(m_data, m_data.Resize(m_length * 2 + 10));
  gc_assign(m_data[m_length], value);
  ++m_length;
  return 0;
}

c_IAsyncEventSource* c_Stack::p_Pop() {
  if (m_length == 0) vgError("Stack is empty");
  --m_length;
  c_IAsyncEventSource* v = m_data[m_length];
  gc_assign(m_data[m_length], m_NIL);
  return v;
}

int c_Stack::p_Remove(int index) {
  if (index < 0 || index >= m_length) vgError("Stack index out of range");
  for (int i = index; i + 1 < m_length; ++i) gc_assign(m_data[i], m_data[i + 1]);
  --m_length;
  gc_assign(m_data[m_length], m_NIL);
  return 0;
}

int c_Stack::p_RemoveEach(c_IAsyncEventSource* value) {
  int kept = 0;
  for (int i = 0; i < m_length; ++i) {
    if (m_data[i] != value) gc_assign(m_data[kept++], m_data[i]);
  }
  for (int i = kept; i < m_length; ++i) gc_assign(m_data[i], m_NIL);
  m_length = kept;
  return 0;
}

int c_Stack::p_Clear() {
  for (int i = 0; i < m_length; ++i) gc_assign(m_data[i], m_NIL);
  m_length = 0;
  return 0;
}

void c_Stack::mark() { gc_mark_q(m_data); }

int vg_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source) {
  vg_asyncevent__sources->p_Push(source);
  return 0;
}

// A source removing itself while it runs clears the current slot, so the sweep knows the
// next source has moved down into the same index.
int vg_asyncevent_RemoveAsyncEventSource(c_IAsyncEventSource* source) {
  if (source == vg_asyncevent__current) gc_assign(vg_asyncevent__current, nullptr);
  vg_asyncevent__sources->p_RemoveEach(source);
  return 0;
}

int vg_asyncevent_UpdateAsyncEvents() {
  if (vg_asyncevent__current) return 0;
  int i = 0;
  while (i < vg_asyncevent__sources->p_Length()) {
    gc_assign(vg_asyncevent__current, vg_asyncevent__sources->p_Get(i));
    vg_asyncevent__current->p_UpdateAsyncEvents();
    if (vg_asyncevent__current) ++i;
  }
  gc_assign(vg_asyncevent__current, nullptr);
  return 0;
}
