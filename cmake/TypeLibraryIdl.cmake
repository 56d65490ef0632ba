# Writes the module's IDL: the template with the table's LIBID and one coclass for each row of
# the provider class table, so that a class's CLSID and coclass names are written once, in its
# row.
#
#   cmake -DTABLE=provider_class_identity.h -DTEMPLATE=Norvipmiprv.idl.in -DOUTPUT=X.idl -P ...
#
# The rows are those between the lines "// provider classes: begin" and "... end"; each row is
# seven string literals (ProviderClassIdentity's fields in order) and nothing else holds a
# quote there. The coclasses follow the rows from the last to the first, the order of the
# shipped library's type information, which the compiled library keeps byte for byte.
file(READ "${TABLE}" table)
string(REGEX MATCH "// provider classes: begin\n(.*)// provider classes: end" block "${table}")
if(NOT block)
  message(FATAL_ERROR "${TABLE}: no block between the provider classes' markers")
endif()
string(REGEX MATCHALL "\"[^\"]*\"" fields "${CMAKE_MATCH_1}")
list(LENGTH fields count)
math(EXPR rows "${count} / 7")
math(EXPR rest "${count} % 7")
if(rows EQUAL 0 OR NOT rest EQUAL 0)
  message(FATAL_ERROR "${TABLE}: ${count} strings between the markers, not rows of seven")
endif()

set(coclasses "")
math(EXPR last "${rows} - 1")
foreach(row RANGE ${last})
  math(EXPR first "${row} * 7")
  math(EXPR clsid_at "${first} + 1")
  math(EXPR name_at "${first} + 5")
  math(EXPR help_at "${first} + 6")
  list(GET fields ${clsid_at} clsid)
  list(GET fields ${name_at} name)
  list(GET fields ${help_at} help)
  string(REGEX REPLACE "^\"{(.*)}\"$" "\\1" uuid "${clsid}")
  string(REGEX REPLACE "^\"(.*)\"$" "\\1" name "${name}")
  if(NOT uuid MATCHES "^[0-9A-F]+(-[0-9A-F]+)+$" OR NOT name MATCHES "^[A-Za-z0-9_]+$")
    message(FATAL_ERROR "${TABLE}: row ${row} is not a class: ${clsid} ${name}")
  endif()
  set(coclass "    [\n        uuid(${uuid}),\n        helpstring(${help})\n    ]\n")
  string(APPEND coclass "    coclass ${name}\n    {\n    };\n")
  if(coclasses)
    set(coclasses "${coclass}\n${coclasses}")
  else()
    set(coclasses "${coclass}")
  endif()
endforeach()

string(REGEX MATCH "kTypeLibraryId = \"{([0-9A-F-]+)}\"" libid "${table}")
if(NOT libid)
  message(FATAL_ERROR "${TABLE}: no kTypeLibraryId")
endif()
set(NORV_LIBID "${CMAKE_MATCH_1}")
set(NORV_COCLASSES "${coclasses}")
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
