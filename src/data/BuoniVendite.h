#pragma once
#include "base/Currency.h"
#include "TableClass.h"

// The uses of a voucher in a sale; child rows of BuoniClienti, held in a sale's list
// BuoniUtilizzati. The rules keep each voucher's ImportoUtilizzato equal to the sum of its
// uses and never let a use take more than what is left of its voucher.
class BuoniVendite : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
    void OnBeforeUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateRow(TableData& td) override;
    void OnDeleteRow(TableData& td) override;
    void OnSelectParent(TableData& td, TableData& candidates) override;

private:
    // The use's amount is about to change, or the use is about to leave its voucher.
    bool concernsTheVoucher(const QString& fieldName) const;
    void book(TableData& td, Currency amount);

    bool m_bookingInCorso = false;   // set while this class writes a voucher's ImportoUtilizzato
};
