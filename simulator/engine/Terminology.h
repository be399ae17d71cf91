#pragma once
// The simulated application's scripting terms: its commands with their parameters, its object properties,
// its classes and enumerators. The parser reads them to recognise multi-word terms; the bundle's
// dictionary file is generated from them.

#include <QString>
#include <QStringList>
#include <vector>

namespace orbix::c1sim::terminology {

struct ParameterSpec {
    QString label; // the words that introduce the parameter ("to", "with properties")
    QString type;
};

struct CommandSpec {
    QString name;
    QString directType; // empty: the command takes no direct parameter
    std::vector<ParameterSpec> parameters;
    QString description;
};

struct PropertySpec {
    QString name;
    QString type;
    bool readOnly = false;
    QString description;
};

struct ClassSpec {
    QString name;
    QString description;
    std::vector<PropertySpec> properties;
};

// Every command of the application, including the standard "activate".
const std::vector<CommandSpec>& commands();
// The classes with their properties: application, document, variant, layer, adjustments.
const std::vector<ClassSpec>& classes();
// Every enumerator the application accepts as a property value (crop orientations, adjustment options).
const QStringList& enumerators();
// The dictionary file in the sdef XML format.
QString scriptingDictionary();

} // namespace orbix::c1sim::terminology
