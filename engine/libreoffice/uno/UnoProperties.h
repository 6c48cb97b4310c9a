#pragma once

#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Sequence.hxx>

#include <initializer_list>

namespace rm::lo {

template <class T>
css::beans::PropertyValue property(const char* name, const T& value)
{
    css::beans::PropertyValue result;
    result.Name = OUString::createFromAscii(name);
    result.Value <<= value;
    return result;
}

template <class T>
css::uno::Sequence<T> sequence(std::initializer_list<T> items)
{
    return css::uno::Sequence<T>(items.begin(), static_cast<sal_Int32>(items.size()));
}

} // namespace rm::lo
