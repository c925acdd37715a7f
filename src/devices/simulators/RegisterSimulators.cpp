#include "RegisterSimulators.h"
#include "Crf4600Simulator.h"
#include "DsProgressSimulator.h"
#include "EllisseSimulator.h"
#include "SaremaSimulator.h"
#include "SaxSimulator.h"
#include "SwedaSimulator.h"

QStringList RegisterSimulatorNames()
{
    return {QStringLiteral("ellisse"),    QStringLiteral("crf4600"), QStringLiteral("sax"),
            QStringLiteral("dsprogress"), QStringLiteral("sarema"),  QStringLiteral("sweda")};
}

std::shared_ptr<RegisterSimulator> CreateRegisterSimulator(const QString& name)
{
    const QString n = name.toLower();
    if (n == u"ellisse") return std::make_shared<EllisseSimulator>();
    if (n == u"crf4600") return std::make_shared<Crf4600Simulator>();
    if (n == u"sax") return std::make_shared<SaxSimulator>();
    if (n == u"dsprogress") return std::make_shared<DsProgressSimulator>();
    if (n == u"sarema") return std::make_shared<SaremaSimulator>();
    if (n == u"sweda") return std::make_shared<SwedaSimulator>();
    return nullptr;
}
