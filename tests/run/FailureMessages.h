#pragma once

#include <QString>

// The pieces of the run's failure messages, as a person reads them, shared by the tests of the
// failure handling.
namespace testsupport::failure {

using namespace Qt::StringLiterals;

inline const QString kTasksHead =
    u"Обращение к Диадок API (для запроса списка документов) завершилось с критической ошибкой: "_s;
inline const QString kContentHead =
    u"Обращение к Диадок API (для выгрузки контента документов) завершилось с критической ошибкой: "_s;
inline const QString kContentInline =
    u"Обращение к Диадок API (для выгрузки контента документов) завершилось с критической ошибкой \""_s;
inline const QString kStop = u"Процесс выгрузки документов будет остановлен."_s;
inline const QString kMemoryCause = u"Вероятно исчерпана доступная процессу оперативная память."_s;
inline const QString kMemoryAdvice = u"Рекомендуется: За один запуск программы выгружать меньшее количество "
                                     u"документов. Например, выбирая меньший диапазон дат документов."_s;
inline const QString kServiceCause = u"Вероятно проблема с Diadoc (DiadocAPI)."_s;
inline const QString kServiceAdvice = u"Рекомендуется: Обратиться к разработчикам программы."_s;
inline const QString kDiskCause = u"Вероятно исчерпано свободное место на диске."_s;
inline const QString kDiskAdvice = u"Рекомендуется: Освободить место на диске или выгружать на другой диск."_s;

inline const QString kMemory = u"bad allocation"_s;
inline const QString kWriteError = u"Ошибка записи в файл"_s;
inline const QString kDiskFull = u"Disk full"_s;

} // namespace testsupport::failure
