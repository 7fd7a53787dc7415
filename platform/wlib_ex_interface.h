// WLibExInterface: the base class of every object a plug-in module hands to the
// program, with its operations in their fixed table order.
#pragma once

namespace tf {

// Called back by a plug-in during Exchange; the meaning of the arguments is private
// to each interface.
using WLibExchangeCallback = int (*)(void* context, long code, const char* text);

// The base of plug-in objects. The module and the program both see these inline
// definitions, so a module needs no symbol from the program to derive from it. The
// order of the virtual operations is the layout both sides rely on: never reorder.
class WLibExInterface {
 public:
  WLibExInterface() = default;
  WLibExInterface(const WLibExInterface&) = delete;
  WLibExInterface& operator=(const WLibExInterface&) = delete;

  virtual ~WLibExInterface() = default;
  // Prepares the object; non-zero when it is ready for use.
  virtual int Initialize(void* /*window*/, long /*flags*/, const char* /*text*/) { return 1; }
  virtual int Shut() { return 1; }
  virtual int Suspend(int /*on*/) { return 1; }
  virtual int Idle(long /*ticks*/) { return 0; }
  virtual int Go(long /*command*/) { return 0; }
  // Text of the last error; never null.
  virtual const char* ErrorDesc() { return ""; }
  virtual int Exchange(WLibExchangeCallback /*callback*/) { return 0; }
  virtual int Error() { return 0; }
  virtual const char* Version() { return "1.00"; }

  // The name of the interface the object implements ("ZipFile 1.00").
  const char* LibIID() const { return m_iid; }

 protected:
  explicit WLibExInterface(const char* iid) : m_iid(iid) {}

 private:
  const char* m_iid = "";
};

}  // namespace tf
