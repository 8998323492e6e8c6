// Registry of asynchronous event sources: objects that want a call once per update to
// deliver results of work that finished in the background. The game drives it from its
// update through vg_asyncevent_UpdateAsyncEvents; nothing in this program registers a source.
#pragma once
#include "runtime/array.h"
#include "runtime/object.h"

class c_IAsyncEventSource : public gc_interface {
 public:
  virtual int p_UpdateAsyncEvents() = 0;
};

// A growable stack of event sources. Slots past the length hold m_NIL so the collector
// never sees a stale reference there.
class c_Stack : public Object {
 public:
  Array<c_IAsyncEventSource*> m_data;
  int m_length = 0;

  static c_IAsyncEventSource* m_NIL;

  c_Stack* m_new();
  int p_Length() const { return m_length; }
  // Index outside 0..length-1 is a fatal error.
  c_IAsyncEventSource* p_Get(int index);
  int p_Push(c_IAsyncEventSource* value);
  // Removes and returns the top element; popping an empty stack is a fatal error.
  c_IAsyncEventSource* p_Pop();
  // Removes the element at index, moving the ones above it down by one.
  int p_Remove(int index);
  // Removes every occurrence of value.
  int p_RemoveEach(c_IAsyncEventSource* value);
  int p_Clear();
  void mark() override;
};

extern c_IAsyncEventSource* vg_asyncevent__current;
extern c_Stack* vg_asyncevent__sources;

int vg_asyncevent_AddAsyncEventSource(c_IAsyncEventSource* source);
int vg_asyncevent_RemoveAsyncEventSource(c_IAsyncEventSource* source);
int vg_asyncevent_UpdateAsyncEvents();
