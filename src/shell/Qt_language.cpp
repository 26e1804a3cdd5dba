// Qt's translation catalogue of the program's language.
#include "shell/Qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

// By language; English is Qt's own.
const char* const CATALOGUE[3] = {"qtbase_it", nullptr, "qtbase_fr"};

QPointer<QTranslator> installed;

}  // namespace

void Qt_language_apply(uint8_t language)
{
    delete installed.data();  // uninstalls itself
    const char* name = language < 3 ? CATALOGUE[language] : nullptr;
    if (name == nullptr)
        return;
    auto* t = new QTranslator(QCoreApplication::instance());
    if (t->load(QString::fromLatin1(name), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(t))
        installed = t;
    else
        delete t;
}
