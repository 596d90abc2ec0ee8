#pragma once

#include "objc/objc-api.h"

#include "objc/runtime.h"

#include <cmath>
#include <concepts>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

template <typename T> class NSPropertyTable;

// Gives a class its place in the object model; the first thing in the body of every class below NSObject:
//
//     class UIButton : public UIControl {
//         OBJC_OBJECT(UIButton, UIControl)
//       public: ...
//       protected:
//         explicit UIButton(UIButtonType type);      // constructors are protected: make() is the one way
//         void init() override;                      // optional; call Super::init() first
//         static void registerProperties(NSPropertyTable<UIButton>& table);  // optional
//     };
//
// It brings className() and staticClassName() (for isKindOfClass, describe and the event log), the class's
// ObjCClassInfo, and make(args...), which constructs the object owned by a shared_ptr and then runs init()
// once. registerProperties, when the class declares it, runs once per class and feeds valueForKey and
// setValueForKey; subclasses inherit the properties. The macro leaves the class body in `public:`.
#define OBJC_OBJECT(klass, superklass)                                                                       \
  public:                                                                                                    \
    using Super = superklass;                                                                                \
    static constexpr std::string_view staticClassName() {                                                    \
        return #klass;                                                                                       \
    }                                                                                                        \
    static const ObjCClassInfo& classInfo() {                                                                \
        static const ObjCClassInfo info = describeClass();                                                   \
        return info;                                                                                         \
    }                                                                                                        \
    const ObjCClassInfo& objectClass() const override {                                                      \
        return classInfo();                                                                                  \
    }                                                                                                        \
    template <typename K = klass, typename... Args> static std::shared_ptr<K> make(Args&&... args) {         \
        std::shared_ptr<K> object(new K(std::forward<Args>(args)...));                                       \
        object->init();                                                                                      \
        return object;                                                                                       \
    }                                                                                                        \
                                                                                                             \
  private:                                                                                                   \
    template <typename K = klass> static ObjCClassInfo describeClass() {                                     \
        ObjCClassInfo info(#klass, &superklass::classInfo());                                                \
        if constexpr (requires(NSPropertyTable<K> & table) { K::registerProperties(table); }) {              \
            NSPropertyTable<K> table(info);                                                                  \
            K::registerProperties(table);                                                                    \
        }                                                                                                    \
        return info;                                                                                         \
    }                                                                                                        \
                                                                                                             \
  public:

// The root of every platform and plug-in object: shared (std::shared_ptr), made only through make(), and
// known by its class name.
class ORVANE_EXPORT NSObject : public std::enable_shared_from_this<NSObject> {
  public:
    static constexpr std::string_view staticClassName() { return "NSObject"; }
    static const ObjCClassInfo& classInfo();
    static std::shared_ptr<NSObject> make();

    virtual ~NSObject() = default;
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;

    virtual const ObjCClassInfo& objectClass() const { return classInfo(); }
    std::string_view className() const { return objectClass().name(); }
    // Whether the object's class is the named class or one of its subclasses.
    bool isKindOfClass(std::string_view name) const { return objectClass().isSubclassOf(name); }
    template <typename T> bool isKindOfClass() const { return isKindOfClass(T::staticClassName()); }

    // Key-value coding through the registered properties: the value for a key, nothing for an unknown key.
    std::shared_ptr<NSObject> valueForKey(std::string_view key) const;
    // Sets the property; false, leaving it unchanged, for an unknown or read-only key or a value the
    // property cannot take.
    bool setValueForKey(const std::shared_ptr<NSObject>& value, std::string_view key);

    // One line for people: a boxed value's text; otherwise "<ClassName>".
    virtual std::string description() const;

  protected:
    NSObject() = default;
    // Runs once, as soon as a shared_ptr owns the object (shared_from_this works).
    virtual void init() {}
};

// A boxed number, as key-value coding hands out scalar properties.
class ORVANE_EXPORT NSNumber : public NSObject {
    OBJC_OBJECT(NSNumber, NSObject)
    static std::shared_ptr<NSNumber> numberWithBool(bool value) { return make(Kind::boolean, value ? 1 : 0); }
    static std::shared_ptr<NSNumber> numberWithLongLong(long long value) {
        return make(Kind::integer, static_cast<double>(value));
    }
    static std::shared_ptr<NSNumber> numberWithDouble(double value) { return make(Kind::real, value); }

    double doubleValue() const { return _value; }
    long long longLongValue() const { return static_cast<long long>(_value); }
    bool boolValue() const { return _value != 0; }
    // What the number was made from: "c" a boolean, "q" an integer, "d" a real.
    const char* objCType() const { return _kind == Kind::boolean ? "c" : _kind == Kind::integer ? "q" : "d"; }
    // Whether the number is integral (a boolean or an integer, or a real without a fraction).
    bool isIntegral() const { return std::isfinite(_value) && std::trunc(_value) == _value; }
    std::string description() const override;

  protected:
    enum class Kind { boolean, integer, real };
    NSNumber(Kind kind, double value) : _kind(kind), _value(value) {}

  private:
    Kind _kind;
    double _value;
};

// A boxed string.
class ORVANE_EXPORT NSString : public NSObject {
    OBJC_OBJECT(NSString, NSObject)
    static std::shared_ptr<NSString> stringWithString(std::string text) { return make(std::move(text)); }

    const std::string& string() const { return _text; }
    std::string description() const override { return _text; }

  protected:
    explicit NSString(std::string text) : _text(std::move(text)) {}

  private:
    std::string _text;
};

namespace NSPropertyBoxing {

template <typename V> struct IsSharedObject : std::false_type {};
template <typename U> struct IsSharedObject<std::shared_ptr<U>> : std::is_base_of<NSObject, U> {};

template <typename V> std::shared_ptr<NSObject> box(const V& value) {
    if constexpr (std::is_same_v<V, bool>)
        return NSNumber::numberWithBool(value);
    else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>)
        return NSNumber::numberWithLongLong(static_cast<long long>(value));
    else if constexpr (std::is_floating_point_v<V>)
        return NSNumber::numberWithDouble(value);
    else if constexpr (std::is_same_v<V, std::string>)
        return NSString::stringWithString(value);
    else {
        static_assert(IsSharedObject<V>::value, "a property is a number, a string or an object");
        return value;
    }
}

// The value of type V that the object stands for; nothing for an object of another kind, a number out of
// V's range, an integer property given a fraction or a real one given a value that is not finite. An empty
// pointer is nil: objects take it, scalars and strings do not.
template <typename V> std::optional<V> unbox(const std::shared_ptr<NSObject>& object) {
    if constexpr (IsSharedObject<V>::value) {
        auto cast = std::dynamic_pointer_cast<typename V::element_type>(object);
        return object && !cast ? std::nullopt : std::optional<V>(std::move(cast));
    } else if constexpr (std::is_same_v<V, std::string>) {
        const auto* text = dynamic_cast<const NSString*>(object.get());
        return text ? std::optional<V>(text->string()) : std::nullopt;
    } else {
        const auto* number = dynamic_cast<const NSNumber*>(object.get());
        if (!number || !std::isfinite(number->doubleValue()))
            return std::nullopt;
        if constexpr (std::is_same_v<V, bool> || std::is_floating_point_v<V>)
            return static_cast<V>(std::is_same_v<V, bool> ? number->boolValue() : number->doubleValue());
        else {
            using Integer =
                std::conditional_t<std::is_enum_v<V>, std::underlying_type<V>, std::type_identity<V>>;
            using Limits = std::numeric_limits<typename Integer::type>;
            const double value = number->doubleValue();
            if (!number->isIntegral() || value < static_cast<double>(Limits::min()) ||
                value > static_cast<double>(Limits::max()))
                return std::nullopt;
            return static_cast<V>(value);
        }
    }
}

} // namespace NSPropertyBoxing

// What a class's registerProperties fills: each property once, by name, with a getter (a const member
// function or a callable taking `const T&`) and, unless it is read-only, a setter (a member function or a
// callable taking `T&` and the value). The value's type is the getter's: a number, bool, enum, std::string
// or a shared_ptr to an object.
template <typename T> class NSPropertyTable {
  public:
    explicit NSPropertyTable(ObjCClassInfo& info) : _info(info) {}

    template <typename Get> void add(std::string name, Get get) { add(std::move(name), get, nullptr); }

    template <typename Get, typename Set> void add(std::string name, Get get, Set set) {
        using Value = std::remove_cvref_t<std::invoke_result_t<Get, const T&>>;
        ObjCProperty property{std::move(name),
                              [get](const NSObject& object) {
                                  return NSPropertyBoxing::box<Value>(
                                      std::invoke(get, static_cast<const T&>(object)));
                              },
                              nullptr};
        if constexpr (!std::is_null_pointer_v<Set>) {
            property.set = [set](NSObject& object, const std::shared_ptr<NSObject>& value) {
                auto unboxed = NSPropertyBoxing::unbox<Value>(value);
                if (unboxed)
                    std::invoke(set, static_cast<T&>(object), std::move(*unboxed));
                return unboxed.has_value();
            };
        }
        _info.addProperty(std::move(property));
    }

  private:
    ObjCClassInfo& _info;
};
