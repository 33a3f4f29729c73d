// The value type of XML attributes: a held value plus a read-only reference
// that renders it as text.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <typeinfo>

namespace brin {

class CVarRefBase;

class CContainerBase {
 public:
  virtual ~CContainerBase() = default;
  virtual const std::type_info& GetType() const = 0;
  virtual std::unique_ptr<CContainerBase> Clone() const = 0;
  // A read-only reference to the held value, living no longer than this.
  virtual std::unique_ptr<CVarRefBase> MakeConstRef() const = 0;
};

class CVarRefBase {
 public:
  virtual ~CVarRefBase() = default;
  virtual void SetFromText(const std::string& text) = 0;
  virtual std::string ToText() const = 0;
  virtual std::string GetName() const = 0;
  virtual std::string GetTypeName() const = 0;
  virtual bool IsConst() const = 0;
};

template <class T>
class CVarRefConst : public CVarRefBase {
 public:
  CVarRefConst(const T* variable, const std::string& name)
      : variable_(variable), name_(name), typeName_(typeid(T).name()) {}
  void SetFromText(const std::string&) override {}
  std::string ToText() const override {
    std::ostringstream out;
    out << *variable_;
    return out.str();
  }
  std::string GetName() const override { return name_; }
  std::string GetTypeName() const override { return typeName_; }
  bool IsConst() const override { return isConst_; }

 private:
  const T* variable_;
  std::string name_;
  std::string typeName_;
  bool isConst_ = true;
};

template <class T>
class CContainer : public CContainerBase {
 public:
  explicit CContainer(const T& value) : value_(value) {}
  const std::type_info& GetType() const override { return typeid(T); }
  std::unique_ptr<CContainerBase> Clone() const override {
    return std::make_unique<CContainer<T>>(value_);
  }
  std::unique_ptr<CVarRefBase> MakeConstRef() const override {
    return std::make_unique<CVarRefConst<T>>(&value_, std::string());
  }
  const T& Get() const { return value_; }

 private:
  T value_;
};

// Copies are deep: every copy owns its own value, so a tree stays valid
// after its attributes have been copied out for writing.
class CVariant {
 public:
  CVariant() = default;
  explicit CVariant(const std::string& text)
      : container_(std::make_unique<CContainer<std::string>>(text)),
        reference_(container_->MakeConstRef()) {}
  CVariant(const CVariant& other) { CopyFrom(other); }
  CVariant& operator=(const CVariant& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  CVariant(CVariant&&) noexcept = default;
  CVariant& operator=(CVariant&&) noexcept = default;
  ~CVariant() = default;

  // typeid(void) without a value.
  const std::type_info& GetType() const {
    return container_ ? container_->GetType() : typeid(void);
  }
  // The held string, or null when the variant holds something else.
  const std::string* GetString() const {
    if (!container_ || container_->GetType() != typeid(std::string)) return nullptr;
    return &static_cast<const CContainer<std::string>*>(container_.get())->Get();
  }
  std::string ToText() const { return reference_ ? reference_->ToText() : std::string(); }
  // What the writer puts between the quotes.
  std::string ToOutputText() const {
    const std::string* held = GetString();
    return held ? *held : ToText();
  }

 private:
  void CopyFrom(const CVariant& other) {
    container_ = other.container_ ? other.container_->Clone() : nullptr;
    reference_ = container_ ? container_->MakeConstRef() : nullptr;
  }

  std::unique_ptr<CContainerBase> container_;
  std::unique_ptr<CVarRefBase> reference_;
};

}  // namespace brin
