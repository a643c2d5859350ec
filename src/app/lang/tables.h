// The built-in tables of one form: Italian and English, UTF-8 in the source.
#pragma once

struct TFormTables {
  const char* form;  // the form's object name
  const char* ita;
  const char* eng;
};
