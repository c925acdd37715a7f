#pragma once
// The database's currencies: the main one (whose decimals every converted amount takes)
// and an optional conversion currency shown beside it.
#include "base/Currency.h"
#include <QString>
#include <memory>

class CurrencyInfo {
public:
    virtual ~CurrencyInfo() = default;
    virtual QString Name(int = 0) const = 0;
    virtual int Decimals() const = 0;
    // Units of this currency for one unit of the main currency (1 for the main one).
    virtual double Rate() const { return 1.0; }
    // The conversion currency attached to this main currency, or nullptr.
    virtual std::shared_ptr<CurrencyInfo> Conversion() const { return nullptr; }
};

class SimpleCurrencyInfo : public CurrencyInfo {
public:
    SimpleCurrencyInfo(QString name, int decimals, double rate = 1.0)
        : m_name(std::move(name)), m_decimals(decimals), m_rate(rate)
    { }
    QString Name(int = 0) const override { return m_name; }
    int Decimals() const override { return m_decimals; }
    double Rate() const override { return m_rate; }

private:
    QString m_name;
    int m_decimals;
    double m_rate;
};

// Euro with two decimals; amounts can also be shown in Lire (1936.27 to the euro, no decimals).
class EuroCurrencyInfo : public CurrencyInfo {
public:
    QString Name(int = 0) const override { return QStringLiteral("Euro"); }
    int Decimals() const override { return 2; }
    std::shared_ptr<CurrencyInfo> Conversion() const override
    {
        return std::make_shared<SimpleCurrencyInfo>(QStringLiteral("Lire"), 0, 1936.27);
    }
};

// Any other main currency: two decimals, no conversion currency.
class OtherCurrencyInfo : public CurrencyInfo {
public:
    explicit OtherCurrencyInfo(QString name = QStringLiteral("Valuta")) : m_name(std::move(name)) { }
    QString Name(int = 0) const override { return m_name; }
    int Decimals() const override { return 2; }

private:
    QString m_name;
};
