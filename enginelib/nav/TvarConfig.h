#pragma once
#include <string>

#include "enginelib/base/DString.h"

class TConfig;

// One typed setting of the library's configuration, known by its key. Values are
// always present (the default until a load or a write); ReadVal2 only marks the
// setting as read, as callers expect before their first read.
class TvarConfig {
public:
    TvarConfig(TConfig* owner, const char* key);
    virtual ~TvarConfig() = default;
    TvarConfig(const TvarConfig&) = delete;
    TvarConfig& operator=(const TvarConfig&) = delete;

    const char* Key() const { return key_; }
    void ReadVal2() { read_ = true; }
    bool IsRead() const { return read_; }

    virtual const char* TypeName() const = 0;
    // The value as the settings file holds it, and back; false leaves the value
    // alone when the text is not a value of this type.
    virtual std::string Text() const = 0;
    virtual bool SetText(const std::string& text) = 0;
    virtual std::string DefaultText() const = 0;
    virtual void Reset() = 0;

protected:
    void Written();

private:
    TConfig* owner_;
    const char* key_;
    bool read_ = false;
};

class TboolConfig : public TvarConfig {
public:
    TboolConfig(TConfig* owner, const char* key, bool def) : TvarConfig(owner, key), value_(def), default_(def) {}
    operator bool() const { return value_; }
    bool GetValor() const { return value_; }
    TboolConfig& operator=(bool v) { value_ = v, Written(); return *this; }
    const char* TypeName() const override { return "bool"; }
    std::string Text() const override { return value_ ? "1" : "0"; }
    bool SetText(const std::string& text) override;
    std::string DefaultText() const override { return default_ ? "1" : "0"; }
    void Reset() override { value_ = default_; }

private:
    bool value_, default_;
};

class TintConfig : public TvarConfig {
public:
    TintConfig(TConfig* owner, const char* key, int def) : TvarConfig(owner, key), value_(def), default_(def) {}
    operator int() const { return value_; }
    int GetValor() const { return value_; }
    TintConfig& operator=(int v) { value_ = v, Written(); return *this; }
    const char* TypeName() const override { return "int"; }
    std::string Text() const override { return std::to_string(value_); }
    bool SetText(const std::string& text) override;
    std::string DefaultText() const override { return std::to_string(default_); }
    void Reset() override { value_ = default_; }

private:
    int value_, default_;
};

// Integer settings the routing side owns; read the same way.
class TintConfigRtng : public TintConfig {
public:
    using TintConfig::TintConfig;
    using TintConfig::operator=;
};
class TintConfigRtngMode : public TintConfig {
public:
    using TintConfig::TintConfig;
    using TintConfig::operator=;
};

class TfloatConfig : public TvarConfig {
public:
    TfloatConfig(TConfig* owner, const char* key, float def) : TvarConfig(owner, key), value_(def), default_(def) {}
    operator float() const { return value_; }
    float GetValor() const { return value_; }
    TfloatConfig& operator=(float v) { value_ = v, Written(); return *this; }
    const char* TypeName() const override { return "float"; }
    std::string Text() const override;
    bool SetText(const std::string& text) override;
    std::string DefaultText() const override;
    void Reset() override { value_ = default_; }

private:
    float value_, default_;
};

// Text in the library's code page; the settings file holds it as UTF-8.
class TstringConfig : public TvarConfig {
public:
    TstringConfig(TConfig* owner, const char* key, const char* def)
        : TvarConfig(owner, key), value_(def), default_(def)
    {
    }
    const DString& GetValor() const { return value_; }
    const char* c_str() const { return value_.c_str(); }
    TstringConfig& operator=(const char* v) { value_ = v, Written(); return *this; }
    TstringConfig& operator=(const DString& v) { value_ = v, Written(); return *this; }
    const char* TypeName() const override { return "string"; }
    std::string Text() const override;
    bool SetText(const std::string& text) override;
    std::string DefaultText() const override { return default_; }
    void Reset() override { value_ = default_.c_str(); }
    // A default known only at run time (folders under the application data).
    void SetDefault(const char* def) { default_ = def ? def : "", value_ = default_.c_str(); }

private:
    DString value_;
    std::string default_;
};
