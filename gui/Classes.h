// The base of the component layer: objects, owned components, events,
// exceptions and the string list.
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gui {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// Events are plain callables; the sender is the component that fired them.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// Failures of the component layer travel as exceptions of this family; the
// application's error box shows their message.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  std::string Message() const { return what(); }
};
class EListError : public Exception {
 public:
  using Exception::Exception;
};
class EMenuError : public Exception {
 public:
  using Exception::Exception;
};
// A file that could not be opened or read (not there, held by another
// program, not allowed); the message names it and the system's reason.
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};
class EOSError : public Exception {
 public:
  using Exception::Exception;
  // What failed, in the user's words ("ウィンドウを作成できません。"), and on
  // the next line the system's text for the calling thread's last error.
  static EOSError LastError(const std::string& context = {});
};

// Steps that must all run although one may fail (every node of a subtree
// freed, a window's state put back): the first failure is kept and thrown
// once the last step has run.
class TFirstFailure {
 public:
  template <class Step>
  void Run(Step&& step) noexcept {
    try {
      step();
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
    }
  }
  void Rethrow() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::exception_ptr failure_;
};

class TComponent;

// A component held by someone who does not own it: the link turns null when
// the component goes, and tells `gone` (if given).
class TComponentLink {
 public:
  explicit TComponentLink(std::function<void()> gone = {}) : gone_(std::move(gone)) {}
  ~TComponentLink() { Set(nullptr); }
  TComponentLink(const TComponentLink&) = delete;
  TComponentLink& operator=(const TComponentLink&) = delete;
  void Set(TComponent* component);

 protected:
  TComponent* target_ = nullptr;

 private:
  friend class TComponent;
  std::function<void()> gone_;
};

template <class T>
class TLink : public TComponentLink {
 public:
  using TComponentLink::TComponentLink;
  TLink& operator=(T* component) {
    Set(component);
    return *this;
  }
  T* Get() const { return static_cast<T*>(target_); }
  T* operator->() const { return Get(); }
  explicit operator bool() const { return target_ != nullptr; }
};

// A component belongs to its owner: when the owner goes, every component it
// still owns goes with it. A component that is destroyed first leaves its
// owner's list, so nothing is freed twice.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return int(components_.size()); }
  TComponent* Components(int index) const;

  std::string Name;
  int Tag = 0;

 protected:
  // The components it owns go now, the last created first. An owner whose
  // components' events call into it does this while what those events use
  // is still there.
  void DestroyComponents();

 private:
  friend class TComponentLink;
  TComponent* owner_;
  std::vector<TComponent*> components_;
  std::vector<TComponentLink*> links_;  // who holds this component without owning it
};

// Lines of text, read and written whole.
class TStringList : public TObject {
 public:
  int Count() const { return int(lines_.size()); }
  // Throws EListError for an index outside 0 .. Count - 1.
  const std::string& Strings(int index) const;
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  // Throws EFOpenError when the file cannot be read, Exception when what it
  // holds is no text.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace gui
