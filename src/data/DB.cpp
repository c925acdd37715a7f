#include "DB.h"
#include "AcquistoFornitori.h"
#include "Articoli.h"
#include "BuoniClienti.h"
#include "BuoniVendite.h"
#include "CampiTracciato.h"
#include "CaricoArticoli.h"
#include "Clienti.h"
#include "CodiciBarre.h"
#include "CodiciIva.h"
#include "ConfigurazioneSconti.h"
#include "Depositi.h"
#include "Fornitori.h"
#include "Forniture.h"
#include "ImpostazioniPromemoria.h"
#include "Operatori.h"
#include "PagamentiCliente.h"
#include "Promemoria.h"
#include "Reparti.h"
#include "Ricevute.h"
#include "ScaricoArticoli.h"
#include "SelezioniTracciato.h"
#include "TipiDocumento.h"
#include "TipiPagamento.h"
#include "TracciatiFornitura.h"
#include "UnitaMisura.h"
#include "Vendite.h"

// CorrispondenzeArticoli is declared but deliberately not part of the database.
void DB::Define(DatabaseDefinition& definition)
{
    definition.AddTable(std::make_shared<Operatori>());
    definition.AddTable(std::make_shared<Promemoria>());
    definition.AddTable(std::make_shared<ImpostazioniPromemoria>());
    definition.AddTable(std::make_shared<Reparti>());
    definition.AddTable(std::make_shared<CodiciIva>());
    definition.AddTable(std::make_shared<UnitaMisura>());
    definition.AddTable(std::make_shared<TipiDocumento>());
    definition.AddTable(std::make_shared<TipiPagamento>());
    definition.AddTable(std::make_shared<Depositi>());
    definition.AddTable(std::make_shared<CampiTracciato>());
    definition.AddTable(std::make_shared<SelezioniTracciato>());
    definition.AddTable(std::make_shared<TracciatiFornitura>());
    definition.AddTable(std::make_shared<Fornitori>());
    definition.AddTable(std::make_shared<Articoli>());
    definition.AddTable(std::make_shared<CaricoArticoli>());
    definition.AddTable(std::make_shared<AcquistoFornitori>());
    definition.AddTable(std::make_shared<Forniture>());
    definition.AddTable(std::make_shared<ScaricoArticoli>());
    definition.AddTable(std::make_shared<BuoniClienti>());
    definition.AddTable(std::make_shared<BuoniVendite>());
    definition.AddTable(std::make_shared<Clienti>());
    definition.AddTable(std::make_shared<ConfigurazioneSconti>());
    definition.AddTable(std::make_shared<PagamentiCliente>());
    definition.AddTable(std::make_shared<Vendite>());
    definition.AddTable(std::make_shared<CodiciBarre>());
    definition.AddTable(std::make_shared<Ricevute>());
}
