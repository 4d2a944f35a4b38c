#pragma once
// The dictionary reader's built-ins, one handler each; the letter tables list them.

#include "lang/values.h"

#define VK_DICTIONARY_ENTRY(name) int name(int count, vk_Code* code, int* pc, CalcStackEntry* stack, int* sp)

VK_DICTIONARY_ENTRY(checkDictionaryEntry);      // checkDictionary(number)
VK_DICTIONARY_ENTRY(dicKensakuListEntry);       // dicKensakuList(book, id)
VK_DICTIONARY_ENTRY(eBookMidashiListEntry);     // eBookMidashiList(book, hits)
VK_DICTIONARY_ENTRY(kensakuJikkouHyoukiEntry);  // kensakuJikkou_Hyouki(book, key, range)
VK_DICTIONARY_ENTRY(kensakuJikkouCondEntry);    // kensakuJikkou_Cond(book, key, range)
VK_DICTIONARY_ENTRY(kensakuJikkouKanaEntry);    // kensakuJikkou_Kana(book, key, [second,] range)
VK_DICTIONARY_ENTRY(sjis2sjisSeionEntry);       // sjis2sjisSeion(text)
VK_DICTIONARY_ENTRY(sjis2jisSeionEntry);        // sjis2jisSeion(text)
