#pragma once
#include "TableClass.h"

// Sales at the counter: lines, customer, payments and the vouchers used.
//
// The rules keep ImportoVendita equal to the sum of the lines, ImportoBuoni equal to the sum
// of the voucher uses, and the customer's Punti in step with the sale: the points its amount
// earns, the prize points spent on its lines (a line's PuntiPremio, negative) and the
// points recorded on the sale itself (Punti). Changes to the customer row are saved with the
// sale, or at once where the rule writes the customer itself.
class Vendite : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnUpdatedTableStruct(TableData& td, const QVariant& unused, double& oldVersion, bool& isNew) override;
    void OnNewRow(TableData& td) override;
    void OnDeleteRow(TableData& td) override;
    void OnBeforeUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateField(TableData& td, QString& fieldName) override;
    void OnBeforeUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant& a,
                                 QVariant& b) override;
    void OnUpdateReference(TableData& td, TableData* row, QString& referenceName, QVariant& a, QVariant& b) override;

private:
    qint64 CalcolaPuntiVendita(const TableData& sale) const;
    void AggiornaPuntiCliente(TableData& sale, qint64 delta);
    void RicalcolaPuntiCliente(TableData& sale, bool negate);
    // The prize points over the sale's stored lines (negative when points were spent).
    static qint64 PuntiPremioRighe(TableData& sale);

    bool m_aggiornaPuntiInCorso = false;
    bool m_ricalcoloPuntiInCorso = false;
};
