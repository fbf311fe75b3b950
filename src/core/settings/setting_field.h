// A field of ServerSettings as a value: its kind and where it lies in the
// record. The settings file's key table, the page bindings and the
// server.cfg rows all name fields through these handles, declared once per
// field from settings_fields.h (see `fields` in server_settings.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

constexpr std::size_t kSettingsTextSize = 4096;  // a text holds at most 4095 characters

enum class SettingKind : std::uint8_t { Text, Int, Float, Bool };

template <SettingKind K> struct SettingValue;
template <> struct SettingValue<SettingKind::Text> { using Type = char[kSettingsTextSize]; };
template <> struct SettingValue<SettingKind::Int> { using Type = std::int32_t; };
template <> struct SettingValue<SettingKind::Float> { using Type = float; };
template <> struct SettingValue<SettingKind::Bool> { using Type = bool; };

class ServerSettings;

// A field of one kind. Tables that need a kind take this type, so binding a
// control or a row to a field of another kind does not compile.
template <SettingKind K>
struct Field {
    using Type = typename SettingValue<K>::Type;
    std::size_t offset;

    template <class Record>  // ServerSettings, const or not
    auto& In(Record& record) const {
        using Byte = std::conditional_t<std::is_const<Record>::value, const unsigned char, unsigned char>;
        using Value = std::conditional_t<std::is_const<Record>::value, const Type, Type>;
        return *reinterpret_cast<Value*>(reinterpret_cast<Byte*>(&record) + offset);
    }
};
using TextField = Field<SettingKind::Text>;
using IntField = Field<SettingKind::Int>;
using FloatField = Field<SettingKind::Float>;
using FlagField = Field<SettingKind::Bool>;

// A field of any kind, for tables that mix kinds (the key table, the
// server.cfg rows). Made only from a typed handle.
struct AnyField {
    SettingKind kind = SettingKind::Int;
    std::size_t offset = 0;

    constexpr AnyField() = default;
    template <SettingKind K>
    constexpr AnyField(Field<K> field) : kind(K), offset(field.offset) {}

    // The typed handle; only for a kind the caller has checked.
    template <SettingKind K>
    constexpr Field<K> As() const { return Field<K>{offset}; }
};

// The one place that turns a kind into a type: calls `visit` with the
// field's value as a reference of its own type (char[4096], std::int32_t,
// float or bool).
template <class Record, class Visit>
decltype(auto) VisitField(Record& record, AnyField field, Visit&& visit) {
    switch (field.kind) {
    case SettingKind::Text: return visit(field.As<SettingKind::Text>().In(record));
    case SettingKind::Int: return visit(field.As<SettingKind::Int>().In(record));
    case SettingKind::Float: return visit(field.As<SettingKind::Float>().In(record));
    case SettingKind::Bool: break;
    }
    return visit(field.As<SettingKind::Bool>().In(record));
}
