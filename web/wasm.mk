# The WebAssembly module of the page: the C API and the engine, the same
# sources as liborvo, compiled by emscripten into orvo.wasm and its loader
# orvo.js (an ES module exporting createOrvo). No file system is linked:
# the engine takes the song, the signature file and each MDD file as bytes.
#
#   make -f web/wasm.mk WEB_BUILD=build-web     (run from the top folder)

WEB_BUILD ?= build-web
OBJ := $(WEB_BUILD)/obj
OUT := $(WEB_BUILD)/wasm

# emscripten's own tools are Node programs that need Debian's Node modules.
export NODE_PATH := /usr/share/nodejs

EMXX ?= em++
SOURCES := src/api/orvo.cpp $(sort $(wildcard $(addprefix src/,$(addsuffix /*.cpp,run smf signature zmd render track passes engine))))
OBJECTS := $(patsubst src/%.cpp,$(OBJ)/%.o,$(SOURCES))

# Size first: -Oz with link-time optimisation, the small allocator, and
# WebAssembly's own exceptions (the engine ends a conversion by throwing).
CXXFLAGS_WASM := -std=c++20 -Oz -flto -fwasm-exceptions -Iinclude -Isrc \
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
EXPORTS := orvo_version_string orvo_status_string orvo_options_new orvo_options_free \
  orvo_options_set orvo_options_parse orvo_convert orvo_result_midi orvo_result_status \
  orvo_result_messages orvo_result_error orvo_result_free malloc free
comma := ,
empty :=
space := $(empty) $(empty)
LDFLAGS_WASM := -Oz -flto -fwasm-exceptions -sMALLOC=emmalloc -sFILESYSTEM=0 \
  -sMODULARIZE=1 -sEXPORT_ES6=1 -sEXPORT_NAME=createOrvo -sENVIRONMENT=worker \
  -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB -sALLOW_TABLE_GROWTH=1 \
  -sEXPORTED_FUNCTIONS=$(subst $(space),$(comma),$(addprefix _,$(EXPORTS))) \
  -sEXPORTED_RUNTIME_METHODS=addFunction

.PHONY: all
all: $(OUT)/orvo.js

$(OBJ)/%.o: src/%.cpp
	@mkdir -p $(dir $@)
	$(EMXX) $(CXXFLAGS_WASM) -MMD -MP -c $< -o $@

$(OUT)/orvo.js: $(OBJECTS) web/wasm.mk
	@mkdir -p $(OUT)
	$(EMXX) $(LDFLAGS_WASM) $(OBJECTS) -o $@

-include $(OBJECTS:.o=.d)
